#pragma once

// Whether a recorded sound file holds the words of a spoken reference file.
//
// Both files are decoded and brought to one rate. Their loudness envelopes
// (RMS in 20 ms frames) are slid against each other for the best Pearson
// correlation; the lag found is refined by cross-correlating the waveforms
// within 40 ms of it. At that lag the recording must also be loud where the
// reference speaks (silence correlates surprisingly well with a speech
// envelope) and must hold nearly all of the speech.

#include <string>

namespace speechproof {

struct Thresholds
{
    double envelope = 0.70; // envelope correlation, at least
    double waveform = 0.50; // waveform correlation near the envelope's lag, at least
    double levelDb = -45;   // recording's level where the reference speaks, dBFS, at least
    double coverage = 0.9;  // share of the reference's speech frames inside the recording
};

struct Proof
{
    double envelopeCorrelation = 0;
    double waveformCorrelation = 0;
    double speechLevelDb = -200;
    double coverage = 0;
    double lagSeconds = 0; // where the speech starts in the recording
    bool holdsSpeech = false;
    std::string error; // a file could not be read (holdsSpeech is then false)

    // One line with every figure and the verdict, for test messages.
    std::string describe() const;
};

Proof prove(const std::string& spokenPath, const std::string& recordedPath,
            const Thresholds& thresholds = {});

} // namespace speechproof
