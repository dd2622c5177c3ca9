#include "Catalogues.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace automation::atspi {

namespace {

std::string valueOf(const std::vector<std::string>& environment, const std::string& name)
{
    const std::string prefix = name + "=";
    for (const std::string& entry : environment)
        if (entry.compare(0, prefix.size(), prefix) == 0)
            return entry.substr(prefix.size());
    return {};
}

// "de_DE.UTF-8@euro": "de_DE@euro", "de_DE", "de@euro", "de" (the codeset
// names no catalogue).
void addVariants(std::string locale, std::vector<std::string>& out)
{
    std::string variant;
    if (const auto at = locale.find('@'); at != std::string::npos) {
        variant = locale.substr(at);
        locale.erase(at);
    }
    if (const auto dot = locale.find('.'); dot != std::string::npos)
        locale.erase(dot);
    if (locale.empty())
        return;
    const std::string language = locale.substr(0, locale.find('_'));
    for (const std::string& l : {locale + variant, locale, language + variant, language})
        if (std::find(out.begin(), out.end(), l) == out.end())
            out.push_back(l);
}

// A catalogue file's messages, as it lies in memory; invalid when it is not one.
class Catalogue
{
public:
    explicit Catalogue(const QString& path)
    {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            m_data = f.readAll();
        const std::uint32_t magic = word(0);
        m_swapped = magic == 0xde120495;
        if (magic != 0x950412de && !m_swapped)
            m_data.clear();
    }

    std::string find(const std::string& message) const
    {
        if (m_data.isEmpty())
            return {};
        const std::uint32_t count = word(8), originals = word(12), translations = word(16);
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto [length, offset] = entry(originals, i);
            // A plural's original is its singular, a NUL and its plural.
            if (length < message.size() || offset + length > std::uint64_t(m_data.size()) ||
                std::memcmp(m_data.constData() + offset, message.data(), message.size()) != 0 ||
                (length > message.size() && m_data[offset + message.size()] != '\0'))
                continue;
            const auto [tlength, toffset] = entry(translations, i);
            if (toffset + tlength > std::uint64_t(m_data.size()))
                return {};
            // A plural's first form.
            return std::string(m_data.constData() + toffset,
                               ::strnlen(m_data.constData() + toffset, tlength));
        }
        return {};
    }

private:
    std::uint32_t word(std::uint64_t at) const
    {
        if (at + 4 > std::uint64_t(m_data.size()))
            return 0;
        std::uint32_t w;
        std::memcpy(&w, m_data.constData() + at, 4);
        return m_swapped ? __builtin_bswap32(w) : w;
    }
    std::pair<std::uint32_t, std::uint32_t> entry(std::uint32_t table, std::uint32_t i) const
    {
        const std::uint64_t at = table + std::uint64_t(i) * 8;
        return {word(at), word(at + 4)};
    }

    QByteArray m_data;
    bool m_swapped = false;
};

const Catalogue& catalogue(const QString& path)
{
    // Read once: a program's catalogues do not change while it runs.
    static std::map<QString, std::unique_ptr<Catalogue>> read;
    auto& c = read[path];
    if (!c)
        c = std::make_unique<Catalogue>(path);
    return *c;
}

} // namespace

std::vector<std::string> languagesIn(const std::vector<std::string>& environment)
{
    std::string locale = valueOf(environment, "LC_ALL");
    if (locale.empty())
        locale = valueOf(environment, "LC_MESSAGES");
    if (locale.empty())
        locale = valueOf(environment, "LANG");
    // The C locale shows messages as they are, whatever LANGUAGE says.
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
        return {};
    std::vector<std::string> out;
    const std::string wanted = valueOf(environment, "LANGUAGE");
    for (std::size_t from = 0; !wanted.empty();) {
        const std::size_t colon = wanted.find(':', from);
        addVariants(wanted.substr(from, colon - from), out);
        if (colon == std::string::npos)
            break;
        from = colon + 1;
    }
    if (out.empty())
        addVariants(locale, out);
    return out;
}

std::vector<std::string> languagesOf(std::uint32_t pid)
{
    QFile f(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!pid || !f.open(QIODevice::ReadOnly))
        return {};
    std::vector<std::string> environment;
    for (const QByteArray& entry : f.readAll().split('\0'))
        if (!entry.isEmpty())
            environment.push_back(entry.toStdString());
    return languagesIn(environment);
}

std::string translation(const std::string& domain, const std::string& message,
                        const std::vector<std::string>& languages)
{
    static const char* const folders[] = {"/usr/share/locale", "/usr/local/share/locale",
                                          "/usr/share/locale-langpack"};
    for (const std::string& language : languages)
        for (const char* folder : folders) {
            const QString path = QStringLiteral("%1/%2/LC_MESSAGES/%3.mo")
                                     .arg(QLatin1String(folder), QString::fromStdString(language),
                                          QString::fromStdString(domain));
            if (!QFile::exists(path))
                continue;
            const std::string found = catalogue(path).find(message);
            if (!found.empty())
                return found;
        }
    return {};
}

} // namespace automation::atspi
