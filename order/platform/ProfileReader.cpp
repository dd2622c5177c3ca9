#include "ProfileReader.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace orderapp::platform {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimBlanks(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b).toString();
}

QString decode(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(view);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

ProfileData ProfileData::parse(const QByteArray& bytes)
{
    ProfileData data;
    const QString text = decode(bytes);
    std::optional<QString> section;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    // The scan for line ends touches every character of a file of up to megabytes: plain
    // code units keep it quick in every kind of build.
    const auto* units = text.utf16();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && units[end] != u'\r' && units[end] != u'\n')
            ++end;
        const QString line = trimBlanks(QStringView(text).mid(pos, end - pos));
        pos = end;
        if (pos < n && units[pos] == u'\r')
            ++pos;
        if (pos < n && units[pos] == u'\n')
            ++pos; // LF alone, or the LF of CR LF

        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QString name =
                close < 0 ? QString() : trimBlanks(QStringView(line).mid(1, close - 1));
            if (name.isEmpty())
                section.reset();
            else
                section = name;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || !section)
            continue;
        const QString key = trimBlanks(QStringView(line).left(eq));
        if (key.isEmpty())
            continue;
        QString value = trimBlanks(QStringView(line).mid(eq + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        data.m_entries.append(Entry{*section, key, value});
    }
    return data;
}

std::optional<QString> ProfileData::value(const QString& section, const QString& key) const
{
    for (const Entry& e : m_entries)
        if (sameName(e.section, section) && sameName(e.key, key))
            return e.value;
    return std::nullopt;
}

QString FitToBuffer(const QString& text, int bufferSize)
{
    if (bufferSize <= 1)
        return QString();
    qsizetype keep = bufferSize - 1;
    if (text.size() <= keep)
        return text;
    if (text[keep - 1].isHighSurrogate())
        --keep;
    return text.left(keep);
}

QString FileProfileReader::GetProfileString(const QString& section, const QString& key,
                                            const QString& defaultValue, int bufferSize,
                                            const QString& fileName)
{
    QFile file(fileName);
    std::optional<QString> found;
    if (file.open(QIODevice::ReadOnly)) {
        // Ask for no more than the file holds: a buffer of the full limit on every call makes
        // each lookup cost megabytes. Files that tell no size are read up to the limit.
        const qint64 size = file.size();
        const qint64 wanted = size > 0 ? std::min(size, MaxFileSize) : MaxFileSize;
        const QByteArray bytes = file.read(wanted);
        if (bytes != m_lastBytes) {
            m_lastData = ProfileData::parse(bytes);
            m_lastBytes = bytes;
        }
        found = m_lastData.value(section, key);
    }
    return FitToBuffer(found.value_or(defaultValue), bufferSize);
}

} // namespace orderapp::platform
