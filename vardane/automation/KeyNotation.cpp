#include "KeyNotation.h"

#include <algorithm>
#include <iterator>

namespace automation {

namespace {

bool isAsciiAlnum(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

char32_t asciiLower(char32_t c)
{
    return (c >= U'A' && c <= U'Z') ? c - U'A' + U'a' : c;
}

KeyParse failure(std::string why)
{
    KeyParse r;
    r.error = std::move(why);
    return r;
}

struct ModifierName
{
    std::u32string_view name;
    unsigned bit;
};
// In the order describeKeys writes them.
constexpr ModifierName modifierNames[] = {
    {U"CTRL", KeyStroke::Ctrl}, {U"ALT", KeyStroke::Alt}, {U"SHIFT", KeyStroke::Shift}};

// "CTRL+SHIFT+A" (the text between the braces): modifiers, each once, then a
// letter or digit. False when the name is no chord.
bool parseChord(std::u32string_view name, KeyStroke* chord)
{
    unsigned modifiers = 0;
    for (;;) {
        const auto plus = name.find(U'+');
        if (plus == std::u32string_view::npos)
            break;
        const auto part = name.substr(0, plus);
        const auto known = std::find_if(std::begin(modifierNames), std::end(modifierNames),
                                        [&](const ModifierName& m) { return m.name == part; });
        if (known == std::end(modifierNames) || (modifiers & known->bit))
            return false;
        modifiers |= known->bit;
        name.remove_prefix(plus + 1);
    }
    if (modifiers == 0 || name.size() != 1 || !isAsciiAlnum(name[0]))
        return false;
    *chord = {KeyStroke::Kind::Chord, asciiLower(name[0]), modifiers};
    return true;
}

} // namespace

std::u32string decodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        int len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2, cp = b0 & 0x1F, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3, cp = b0 & 0x0F, min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4, cp = b0 & 0x07, min = 0x10000;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        int got = 1;
        while (got < len && i + got < text.size() &&
               (static_cast<unsigned char>(text[i + got]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + got]) & 0x3F);
            ++got;
        }
        if (got < len || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            i += got;
            continue;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

KeyParse parseKeyNotation(std::u32string_view text)
{
    KeyParse r;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == U'%') {
            if (i + 1 >= text.size())
                return failure("\"%\" at the end of the string");
            if (!isAsciiAlnum(text[i + 1]))
                return failure("\"%\" must be followed by a letter or digit");
            r.keys.push_back({KeyStroke::Kind::AltChord, asciiLower(text[i + 1])});
            ++i;
        } else if (c == U'~') {
            r.keys.push_back({KeyStroke::Kind::Enter, 0});
        } else if (c == U'{') {
            const auto close = text.find(U'}', i + 1);
            if (close == std::u32string_view::npos)
                return failure("unclosed \"{\"");
            const auto name = text.substr(i + 1, close - i - 1);
            if (name == U"TAB")
                r.keys.push_back({KeyStroke::Kind::Tab, 0});
            else if (name == U"BREAK")
                r.keys.push_back({KeyStroke::Kind::Break, 0});
            else if (name == U"ENTER")
                r.keys.push_back({KeyStroke::Kind::Enter, 0});
            else if (name.size() == 1 && (name[0] == U'~' || name[0] == U'%' || name[0] == U'{'))
                r.keys.push_back({KeyStroke::Kind::Character, name[0]});
            else if (KeyStroke chord; parseChord(name, &chord))
                r.keys.push_back(chord);
            else if (name.empty() && close + 1 < text.size() && text[close + 1] == U'}') {
                r.keys.push_back({KeyStroke::Kind::Character, U'}'}); // "{}}"
                i = close + 1;
                continue;
            } else
                return failure("unknown key name {" + encodeUtf8(name) + "}");
            i = close;
        } else {
            r.keys.push_back({KeyStroke::Kind::Character, c});
        }
    }
    r.ok = true;
    return r;
}

std::vector<KeyStroke> literalKeys(std::u32string_view text)
{
    std::vector<KeyStroke> keys;
    keys.reserve(text.size());
    for (char32_t c : text)
        keys.push_back({KeyStroke::Kind::Character, c});
    return keys;
}

std::string describeKeys(const std::vector<KeyStroke>& keys)
{
    std::u32string out;
    for (const auto& k : keys) {
        switch (k.kind) {
        case KeyStroke::Kind::Enter:
            out += U"~";
            break;
        case KeyStroke::Kind::Tab:
            out += U"{TAB}";
            break;
        case KeyStroke::Kind::Break:
            out += U"{BREAK}";
            break;
        case KeyStroke::Kind::AltChord:
            out += U'%';
            out += (k.ch >= U'a' && k.ch <= U'z') ? k.ch - U'a' + U'A' : k.ch;
            break;
        case KeyStroke::Kind::Chord:
            out += U'{';
            for (const auto& m : modifierNames)
                if (k.modifiers & m.bit) {
                    out += m.name;
                    out += U'+';
                }
            out += (k.ch >= U'a' && k.ch <= U'z') ? k.ch - U'a' + U'A' : k.ch;
            out += U'}';
            break;
        case KeyStroke::Kind::Character:
            if (k.ch == U'~' || k.ch == U'%' || k.ch == U'{' || k.ch == U'}') {
                out += U'{';
                out += k.ch;
                out += U'}';
            } else {
                out += k.ch;
            }
            break;
        }
    }
    return encodeUtf8(out);
}

} // namespace automation
