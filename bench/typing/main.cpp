// Literal typing of a 60-character path with non-ASCII letters into the text
// box of the stand-in program: time per path (from the start of the send to
// the program reporting the whole line after Enter) and characters lost or
// changed, over many runs. A second series puts characters into every path
// that the keyboard map lacks and that have no binding yet, so that each run
// binds spare key codes anew right before typing. A third series types 500
// random paths (printable ASCII, blanks, accented capitals and small letters)
// while both cores are kept busy by other processes.

#include "Automation.h"
#include "BenchSupport.h"
#include "x11/X11WindowSystem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QProcess>
#include <QRandomGenerator>
#include <QUrl>

using namespace automation;

namespace {

constexpr int Runs = 200;
// Every new binding makes every client re-read the keyboard map (the window
// manager re-grabs all its keys each time), so this series is shorter.
constexpr int FreshRuns = 100;
constexpr double TargetMs = 100.0;
constexpr int LoadedRuns = 500;
const QString Accented = QString::fromUtf8("àáâäçèéêëìíîïñòóôöùúûüýÀÁÂÄÇÈÉÊËÌÍÎÏÑÒÓÔÖÙÚÛÜÝ");

// A random path of 20 to 80 characters: printable ASCII and blanks, with a
// few accented letters (fewer distinct ones than there are spare key codes).
QString randomPath(QRandomGenerator& rng)
{
    QString text = QStringLiteral("/");
    const int length = 20 + int(rng.bounded(61));
    int accents = 0;
    while (text.size() < length) {
        if (accents < 8 && rng.bounded(6) == 0) {
            text += Accented.at(int(rng.bounded(Accented.size())));
            ++accents;
        } else {
            text += QChar(char16_t(0x20 + rng.bounded(0x7F - 0x20)));
        }
    }
    return text + QStringLiteral(".wav");
}

const QString Path =
    QString::fromUtf8("/tmp/Messages Zoë/[12-06-98]03 45 12PM ~%+^(){} é Ü ñ Øß.wav");
// Letters missing from the usual keyboard map; more of them than there are
// spare key codes, so bindings are recycled and every run needs new ones.
const QString Fresh = QString::fromUtf8("абвгдежзийклмнопрстуфхцчшщыэюяΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣ");

class Probe
{
public:
    explicit Probe(const QString& title)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(PROBE_PATH), {QStringLiteral("--title"), title,
                                                     QStringLiteral("--log"), QStringLiteral("-")});
    }
    ~Probe()
    {
        m_process.write("quit\n");
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    // The next line of the given kind ("entered", "window"), without it.
    QByteArray next(const QByteArray& kind)
    {
        const QByteArray prefix = kind + ' ';
        QElapsedTimer limit;
        limit.start();
        while (limit.elapsed() < 10000) {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine().chopped(1);
                if (line.startsWith(prefix))
                    return line.mid(prefix.size());
            }
            m_process.waitForReadyRead(100);
        }
        return QByteArray("(nothing)");
    }

private:
    QProcess m_process;
};

struct Series
{
    int runs = 0;
    std::vector<double> ms;
    int wrong = 0;      // runs where the line differed
    int charsWrong = 0; // characters lost or changed, over all runs
};

int differingCharacters(const QString& want, const QString& got)
{
    // Characters lost, added or changed: position by position, plus the
    // difference in length.
    int n = static_cast<int>(std::abs(want.size() - got.size()));
    for (qsizetype i = 0; i < std::min(want.size(), got.size()); ++i)
        n += want[i] != got[i];
    return n;
}

Series run(WindowSystem& ws, Probe& probe, int runs, const std::function<QString(int)>& textOf)
{
    Series s;
    s.runs = runs;
    const std::vector<KeyStroke> enter{{KeyStroke::Kind::Enter, 0}};
    for (int i = 0; i < runs; ++i) {
        const QString text = textOf(i);
        const auto keys = literalKeys(decodeUtf8(text.toStdString()));
        QElapsedTimer clock;
        clock.start();
        ws.sendKeys(keys);
        ws.sendKeys(enter);
        const QString got =
            QString::fromUtf8(QByteArray::fromPercentEncoding(probe.next("entered")));
        s.ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (got != text) {
            ++s.wrong;
            s.charsWrong += differingCharacters(text, got);
        }
    }
    return s;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (Path.size() != 60) {
        std::fprintf(stderr, "bench_typing: the path has %d characters\n", int(Path.size()));
        return 1;
    }
    auto ws = openX11WindowSystem();
    if (!ws)
        return 1;
    Probe probe(QStringLiteral("Typing Bench"));
    const auto id = probe.next("window").toULongLong();
    QElapsedTimer limit;
    limit.start();
    while (!ws->bringToFront(id).isDone() && limit.elapsed() < 10000) {
    }

    const Series same = run(*ws, probe, Runs, [](int) { return Path; });
    const Series fresh = run(*ws, probe, FreshRuns, [](int i) {
        QString text = Path;
        // Two letters that the previous runs did not bind, in place of "Øß".
        text.replace(54, 2,
                     QString(Fresh[(2 * i) % Fresh.size()]) + Fresh[(2 * i + 1) % Fresh.size()]);
        return text;
    });

    // Both cores busy with other programs while the random paths are typed.
    std::vector<std::unique_ptr<QProcess>> load;
    for (int i = 0; i < QThread::idealThreadCount(); ++i) {
        auto p = std::make_unique<QProcess>();
        p->setStandardOutputFile(QProcess::nullDevice());
        p->start(QStringLiteral("yes"), {});
        p->waitForStarted();
        load.push_back(std::move(p));
    }
    QRandomGenerator rng(20261208);
    std::vector<QString> texts;
    for (int i = 0; i < LoadedRuns; ++i)
        texts.push_back(randomPath(rng));
    const Series loaded = run(*ws, probe, LoadedRuns, [&](int i) { return texts[std::size_t(i)]; });
    for (auto& p : load) {
        p->kill();
        p->waitForFinished();
    }

    const auto report = [](const QString& what, const Series& s, bool timed = true) {
        const double med = bench::median(s.ms);
        const double worst = bench::percentile(s.ms, 1.0);
        bench::printRow(what,
                        QStringLiteral("median %1 ms, max %2 ms; %3 characters lost or changed "
                                       "in %4 runs")
                            .arg(bench::fixed(med), bench::fixed(worst))
                            .arg(s.charsWrong)
                            .arg(s.runs),
                        timed ? QStringLiteral("≤ %1 ms per path, 0 lost or changed").arg(TargetMs)
                              : QStringLiteral("0 lost or changed"),
                        (!timed || worst <= TargetMs) && s.charsWrong == 0
                            ? QStringLiteral("pass")
                            : QStringLiteral("FAIL"));
    };
    report(QStringLiteral("literal typing of a 60-character path with non-ASCII letters, "
                          "send to line received"),
           same);
    report(QStringLiteral("the same with two letters needing a new key binding in every run"),
           fresh);
    report(QStringLiteral("random paths of 20 to 80 characters (printable ASCII, blanks, accented "
                          "capitals and small letters), both cores loaded by other processes"),
           loaded, false);
    return 0;
}
