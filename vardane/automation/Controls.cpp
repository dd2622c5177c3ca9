#include "Controls.h"

#include <string_view>

namespace automation {

namespace {

std::vector<std::string> split(std::string_view text)
{
    std::vector<std::string> out;
    for (std::size_t from = 0;;) {
        const std::size_t bar = text.find('|', from);
        out.emplace_back(text.substr(from, bar - from));
        if (bar == std::string_view::npos)
            return out;
        from = bar + 1;
    }
}

// A message as a label shows it, as a pattern: printf conversions stand for
// anything (a subject); the mnemonic's "_" goes, or stays where `mnemonic`.
// The pattern's own characters in the text match anything too.
std::string shown(std::string_view m, bool mnemonic)
{
    std::string out;
    for (std::size_t i = 0; i < m.size(); ++i) {
        const char c = m[i];
        if (c == '_' && i + 1 < m.size()) {
            if (m[i + 1] == '_' || mnemonic)
                out += '_';
            if (m[i + 1] == '_')
                ++i;
        } else if (c == '%' && i + 1 < m.size() && m[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (c == '%') {
            // %s, %d, %1$s, %-5.2f, %lu: up to the conversion's letter.
            std::size_t j = i + 1;
            while (j < m.size() &&
                   std::string_view("0123456789$#-+ .'lhqjzt").find(m[j]) != std::string_view::npos)
                ++j;
            out += '*';
            i = j;
        } else if (c == '*' || c == '|') {
            out += '*';
        } else {
            out += c;
        }
    }
    return out;
}

// As a toolkit names a control labelled with the message: by its label,
// and (GTK 4) by its label with the mnemonic followed by its label.
void addShown(std::string_view message, std::vector<std::string>& patterns)
{
    const std::string plain = shown(message, false);
    patterns.push_back(plain);
    if (const std::string marked = shown(message, true); marked != plain)
        patterns.push_back(marked + " " + plain);
}

} // namespace

std::string namePattern(const std::string& name, const std::string& domain,
                        const Translate& translate)
{
    if (domain.empty())
        return name;
    std::vector<std::string> patterns;
    for (const std::string& message : split(name)) {
        addShown(message, patterns);
        if (!translate)
            continue;
        for (const std::string& d : split(domain))
            if (const std::string t = translate(d, message); !t.empty() && t != message)
                addShown(t, patterns);
    }
    std::string out;
    for (const std::string& p : patterns)
        if (!p.empty() && p != "*")
            out += (out.empty() ? "" : "|") + p;
    return out;
}

std::string typedFileAddress(const std::string& path)
{
    constexpr std::string_view hex = "0123456789abcdef";
    std::string out = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || (c >= '0' && c <= '9')) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xf];
        }
    }
    return out;
}

} // namespace automation
