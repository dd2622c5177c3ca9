#pragma once

// Reading values from a profile file (sections in square brackets, key=value lines).
//
// Rules:
// - The file is read as UTF-8 (a leading byte-order mark is skipped); a file that is not
//   valid UTF-8 is read as Latin-1. Lines end at CR LF, LF or a lone CR.
// - Blanks (spaces and tabs) around a line are ignored. Empty lines and lines whose first
//   character is ';' are comments.
// - "[name]" opens the section "name" (blanks inside the brackets around the name are ignored,
//   anything after the closing bracket too). A line that starts with '[' but has no closing
//   bracket, or an empty name, opens no section: the keys after it belong to none until the
//   next good section line.
// - "key=value": the key is the text before the first '=', the value the text after it, both
//   without surrounding blanks. One pair of matching quotation marks (' or ") around the
//   whole value is removed. Lines without '=' and lines with an empty key are ignored, and so
//   are keys before the first section.
// - Section and key names match without regard to letter case. When a section or a key
//   within it appears more than once, the first value found in file order wins.
// - A missing or unreadable file, section or key yields the default; a key with nothing
//   after '=' yields the empty text.
// - A buffer size of n keeps at most n - 1 characters of the value (or of the default).

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace orderapp::platform {

// The parsed content of a profile file.
class ProfileData
{
public:
    static ProfileData parse(const QByteArray& bytes);
    // The value of the key in the section, if present.
    std::optional<QString> value(const QString& section, const QString& key) const;

private:
    struct Entry
    {
        QString section;
        QString key;
        QString value;
    };
    QList<Entry> m_entries;
};

// Cuts a value to what a buffer of bufferSize characters holds (bufferSize - 1 characters),
// never splitting a surrogate pair.
QString FitToBuffer(const QString& text, int bufferSize);

class ProfileReader
{
public:
    virtual ~ProfileReader() = default;
    // The value of the key in the section of the file, or the default; at most
    // bufferSize - 1 characters.
    virtual QString GetProfileString(const QString& section, const QString& key,
                                     const QString& defaultValue, int bufferSize,
                                     const QString& fileName) = 0;
};

// Reads the file from disk on every call. Not for use from several threads at once.
class FileProfileReader : public ProfileReader
{
public:
    QString GetProfileString(const QString& section, const QString& key,
                             const QString& defaultValue, int bufferSize,
                             const QString& fileName) override;
    // Files larger than this are read only up to here.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

private:
    // The content last read and what it holds. The load step asks for many values of one
    // file in a row; a large file would otherwise be taken apart again for each. The file is
    // still read on every call and its bytes compared, so a changed file is never answered
    // from here.
    QByteArray m_lastBytes;
    ProfileData m_lastData;
};

} // namespace orderapp::platform
