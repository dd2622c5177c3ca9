// Fuzz target: order.ini of any content. Reading must never crash and must keep its
// promises: a value fits its buffer, a key that is not in the file yields its default, the
// same file read twice gives the same values, what is read from disk is what the parser
// makes of the same bytes, a value is one piece of one line of the file, and a good key
// written after any content is still found.

#include "platform/ProfileReader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

using orderapp::platform::FileProfileReader;
using orderapp::platform::FitToBuffer;
using orderapp::platform::ProfileData;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Field
{
    const char* section;
    const char* key;
    const char* defaultValue;
    int bufferSize;
};

// What the ordering program reads, with its defaults and buffer sizes.
constexpr Field Fields[] = {
    {"AuthorInfo", "AuthorName", "Author", 50}, {"AuthorInfo", "AuthorEmail", "Author", 50},
    {"AuthorInfo", "AuthorPhone", "", 50},      {"ProgramInfo", "Program1ID", "", 50},
    {"ProgramInfo", "Program1Name", "", 50},    {"ProgramInfo", "Program1Price", "", 50},
    {"ProgramInfo", "Program2Name", "", 50},    {"ProgramInfo", "Program2Price", "", 50},
    {"ProgramInfo", "Program3Name", "", 50},    {"ProgramInfo", "Program3Price", "", 50},
    {"SerialNumbers", "Serial1", "", 50},       {"SerialNumbers", "Serial2", "", 50},
    {"SerialNumbers", "Serial3", "", 50},       {"AuthorInfo", "Comments", "", 200},
};

// Buffer sizes at and around the edges.
constexpr int BufferSizes[] = {-1, 0, 1, 2, 3, 50, 200};

// The file the bytes go to: one per process, so that parallel runs do not share it; removed
// when the run ends.
struct TemporaryFile
{
    const QString path = QDir::temp().filePath(
        QStringLiteral("fuzz_profile.%1.ini").arg(QCoreApplication::applicationPid()));
    ~TemporaryFile() { QFile::remove(path); }
};

const QString& FilePath()
{
    static const TemporaryFile file;
    return file.path;
}

// The text the reader sees (the same decoding rule: UTF-8 with an optional byte-order
// mark, else Latin-1), for checks on where values come from.
QString Decoded(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    return utf8.hasError() ? QString::fromLatin1(view) : text;
}

void checkFitted(const QString& fitted, const QString& full, int bufferSize)
{
    const qsizetype room = bufferSize <= 1 ? 0 : bufferSize - 1;
    check(fitted.size() <= room);
    check(full.startsWith(fitted));
    // Only a whole character is ever dropped: at most one unit less than room allows, and
    // then because a surrogate pair would have been split.
    const qsizetype wanted = std::min(full.size(), room);
    check(fitted.size() == wanted ||
          (fitted.size() == wanted - 1 && full[wanted - 1].isHighSurrogate()));
    if (!fitted.isEmpty() && fitted.size() < full.size())
        check(!(fitted.back().isHighSurrogate() && full[fitted.size()].isLowSurrogate()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ProfileData parsed = ProfileData::parse(bytes);
    const ProfileData again = ProfileData::parse(bytes);
    const QString text = Decoded(bytes);

    for (const Field& f : Fields) {
        const QString section = QLatin1String(f.section);
        const QString key = QLatin1String(f.key);
        const std::optional<QString> value = parsed.value(section, key);
        check(value == again.value(section, key));
        // Names match in any letter case.
        check(value == parsed.value(section.toUpper(), key.toLower()));
        if (!value)
            continue;
        // Found only where the file names both, and taken from one line of it.
        check(text.contains(section, Qt::CaseInsensitive));
        check(text.contains(key, Qt::CaseInsensitive));
        check(!value->contains(u'\r') && !value->contains(u'\n'));
        check(text.contains(*value));
        for (int n : BufferSizes)
            checkFitted(FitToBuffer(*value, n), *value, n);
    }

    // From disk: the same values as the parser gives (which gives the same twice), fitted to
    // the buffer.
    {
        QFile file(FilePath());
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(bytes) == bytes.size());
    }
    FileProfileReader reader;
    for (const Field& f : Fields) {
        const QString section = QLatin1String(f.section);
        const QString key = QLatin1String(f.key);
        const QString def = QLatin1String(f.defaultValue);
        const QString read = reader.GetProfileString(section, key, def, f.bufferSize, FilePath());
        const std::optional<QString> value = parsed.value(section, key);
        checkFitted(read, value.value_or(def), f.bufferSize);
    }
    // A key no file can hold (a key ends at the first '=') always yields its default.
    check(reader.GetProfileString(QStringLiteral("AuthorInfo"), QStringLiteral("Author=Name"),
                                  QStringLiteral("Author"), 50, FilePath()) == u"Author");

    // Whatever comes before, a good section and key written after it are found, and
    // nothing read before changes.
    const QString probeSection = QStringLiteral("FuzzProbe");
    const QString probeKey = QStringLiteral("ProbeKey");
    const QByteArray extended = bytes + "\n[ fuzzprobe ]\r\n  PROBEKEY = \"probe  value\" \n";
    const ProfileData more = ProfileData::parse(extended);
    if (!parsed.value(probeSection, probeKey))
        check(more.value(probeSection, probeKey) == u"probe  value");
    for (const Field& f : Fields) {
        const QString section = QLatin1String(f.section);
        const QString key = QLatin1String(f.key);
        check(more.value(section, key) == parsed.value(section, key));
    }
    return 0;
}
