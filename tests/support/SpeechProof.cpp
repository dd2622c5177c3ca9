#include "SpeechProof.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <vector>

namespace speechproof {
namespace {

constexpr int CommonRate = 8000; // both sounds are compared at this rate (or lower)
constexpr double FrameSeconds = 0.020;
constexpr double RefineSeconds = 0.040;
constexpr double SpeechBelowPeakDb = 30; // reference frames this close to its loudest speak

struct Sound
{
    std::vector<double> samples; // mono, full scale 1
    int rate = 0;
};

std::optional<Sound> decode(const std::string& path, std::string& error)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return std::nullopt;
    }
    Sound sound;
    sound.rate = info.samplerate;
    std::vector<double> block(4096 * static_cast<std::size_t>(info.channels));
    for (;;) {
        const sf_count_t frames = sf_readf_double(file, block.data(), 4096);
        if (frames <= 0)
            break;
        for (sf_count_t f = 0; f < frames; ++f) {
            double sum = 0;
            for (int c = 0; c < info.channels; ++c)
                sum += block[static_cast<std::size_t>(f * info.channels + c)];
            sound.samples.push_back(sum / info.channels);
        }
    }
    sf_close(file);
    if (sound.samples.empty() || sound.rate <= 0) {
        error = path + ": holds no sound";
        return std::nullopt;
    }
    return sound;
}

// Band-limited resampling with a Hann-windowed sinc.
Sound resample(const Sound& in, int rate)
{
    if (in.rate == rate)
        return in;
    const double cutoff = 0.5 * std::min(in.rate, rate) * 0.95; // Hz
    const double step = 2 * cutoff / in.rate;                   // sinc argument per input sample
    const int half = static_cast<int>(std::ceil(16 / step));
    Sound out;
    out.rate = rate;
    const auto count = static_cast<std::size_t>(double(in.samples.size()) * rate / in.rate);
    out.samples.resize(count);
    const auto size = static_cast<long>(in.samples.size());
    for (std::size_t n = 0; n < count; ++n) {
        const double centre = double(n) * in.rate / rate;
        const long first = std::max(0L, static_cast<long>(std::ceil(centre)) - half);
        const long last = std::min(size - 1, static_cast<long>(std::floor(centre)) + half);
        double sum = 0;
        for (long k = first; k <= last; ++k) {
            const double d = centre - double(k);
            const double x = std::numbers::pi * step * d;
            const double sinc = x == 0 ? 1 : std::sin(x) / x;
            const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * d / (half + 1));
            sum += in.samples[static_cast<std::size_t>(k)] * step * sinc * window;
        }
        out.samples[n] = sum;
    }
    return out;
}

std::vector<double> envelope(const Sound& s, std::size_t frame)
{
    std::vector<double> e(s.samples.size() / frame);
    for (std::size_t i = 0; i < e.size(); ++i) {
        double sum = 0;
        for (std::size_t j = 0; j < frame; ++j)
            sum += s.samples[i * frame + j] * s.samples[i * frame + j];
        e[i] = std::sqrt(sum / double(frame));
    }
    return e;
}

// Pearson correlation of a[i] with b[i + lag] over the indices both have.
double pearson(const std::vector<double>& a, const std::vector<double>& b, long lag)
{
    const long from = std::max(0L, -lag);
    const long to = std::min(static_cast<long>(a.size()), static_cast<long>(b.size()) - lag);
    const long n = to - from;
    if (n < 2)
        return 0;
    double sa = 0, sb = 0;
    for (long i = from; i < to; ++i) {
        sa += a[static_cast<std::size_t>(i)];
        sb += b[static_cast<std::size_t>(i + lag)];
    }
    const double ma = sa / double(n), mb = sb / double(n);
    double cov = 0, va = 0, vb = 0;
    for (long i = from; i < to; ++i) {
        const double da = a[static_cast<std::size_t>(i)] - ma;
        const double db = b[static_cast<std::size_t>(i + lag)] - mb;
        cov += da * db;
        va += da * da;
        vb += db * db;
    }
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0;
}

// Normalised cross-correlation of a[i] with b[i + lag] (no mean removed).
double crossCorrelation(const std::vector<double>& a, const std::vector<double>& b, long lag)
{
    const long from = std::max(0L, -lag);
    const long to = std::min(static_cast<long>(a.size()), static_cast<long>(b.size()) - lag);
    double ab = 0, aa = 0, bb = 0;
    for (long i = from; i < to; ++i) {
        const double x = a[static_cast<std::size_t>(i)];
        const double y = b[static_cast<std::size_t>(i + lag)];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

} // namespace

std::string Proof::describe() const
{
    if (!error.empty())
        return "cannot compare: " + error;
    char line[256];
    std::snprintf(line, sizeof line,
                  "envelope correlation %.3f, waveform correlation %.3f, speech level %.1f dBFS, "
                  "coverage %.2f, lag %.3f s: %s",
                  envelopeCorrelation, waveformCorrelation, speechLevelDb, coverage, lagSeconds,
                  holdsSpeech ? "holds the speech" : "does not hold the speech");
    return line;
}

Proof prove(const std::string& spokenPath, const std::string& recordedPath,
            const Thresholds& thresholds)
{
    Proof proof;
    const auto spokenFile = decode(spokenPath, proof.error);
    if (!spokenFile)
        return proof;
    const auto recordedFile = decode(recordedPath, proof.error);
    if (!recordedFile)
        return proof;
    const int rate = std::min({CommonRate, spokenFile->rate, recordedFile->rate});
    const Sound spoken = resample(*spokenFile, rate);
    const Sound recorded = resample(*recordedFile, rate);

    const auto frame = static_cast<std::size_t>(std::lround(FrameSeconds * rate));
    const std::vector<double> ref = envelope(spoken, frame);
    const std::vector<double> rec = envelope(recorded, frame);
    const auto n = static_cast<long>(ref.size());
    const auto m = static_cast<long>(rec.size());
    if (n < 2 || m < 2) {
        proof.error = "too short to compare";
        return proof;
    }

    // The best envelope lag among those where at least half the reference
    // lies inside the recording.
    long bestLag = 0;
    proof.envelopeCorrelation = -1;
    for (long lag = -n / 2; lag <= m - n / 2; ++lag) {
        const double c = pearson(ref, rec, lag);
        if (c > proof.envelopeCorrelation) {
            proof.envelopeCorrelation = c;
            bestLag = lag;
        }
    }

    // The waveforms refine it.
    const long centre = bestLag * static_cast<long>(frame);
    const long reach = std::lround(RefineSeconds * rate);
    long sampleLag = centre;
    proof.waveformCorrelation = -1;
    for (long lag = centre - reach; lag <= centre + reach; ++lag) {
        const double c = crossCorrelation(spoken.samples, recorded.samples, lag);
        if (c > proof.waveformCorrelation) {
            proof.waveformCorrelation = c;
            sampleLag = lag;
        }
    }
    proof.lagSeconds = double(sampleLag) / rate;

    // Where the reference speaks, the recording must be there and be loud.
    const double peak = *std::max_element(ref.begin(), ref.end());
    const double floor = peak * std::pow(10.0, -SpeechBelowPeakDb / 20);
    long speechFrames = 0, inside = 0;
    double energy = 0;
    for (long i = 0; i < n; ++i) {
        if (peak <= 0 || ref[static_cast<std::size_t>(i)] < floor)
            continue;
        ++speechFrames;
        const long j = i + bestLag;
        if (j >= 0 && j < m) {
            ++inside;
            energy += rec[static_cast<std::size_t>(j)] * rec[static_cast<std::size_t>(j)];
        }
    }
    proof.coverage = speechFrames > 0 ? double(inside) / double(speechFrames) : 0;
    if (inside > 0 && energy > 0)
        proof.speechLevelDb = 10 * std::log10(energy / double(inside));

    proof.holdsSpeech = proof.envelopeCorrelation >= thresholds.envelope &&
                        proof.waveformCorrelation >= thresholds.waveform &&
                        proof.speechLevelDb >= thresholds.levelDb &&
                        proof.coverage >= thresholds.coverage;
    return proof;
}

} // namespace speechproof
