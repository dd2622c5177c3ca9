#pragma once

// Key strings for SendKeystrokes.
//
// Notation mode: "%X" is X with Alt held (X a letter or digit, sent as the
// lower-case key), "~" is Enter, "{TAB}" is Tab, "{BREAK}" is Break, and any
// other character is typed as itself ("+" and "^" included). A chord with
// Ctrl, Shift or Alt is written in braces, the modifiers joined to a letter or
// digit by "+": "{CTRL+L}", "{CTRL+SHIFT+A}", "{CTRL+ALT+1}". Literal mode
// types every character as itself, with no command characters at all.
//
// A malformed notation string ("%" at the end or before a non-alphanumeric
// character, an unclosed brace, an unknown {NAME}) is rejected whole: nothing
// of it is sent, so a half chord can never reach another program.
//
// This header is plain C++ so that every platform backend can share it.

#include <string>
#include <string_view>
#include <vector>

namespace automation {

struct KeyStroke
{
    enum class Kind { Character, Enter, Tab, Break, AltChord, Chord };
    // Chord: the modifiers held (any combination, at least one).
    enum Modifier : unsigned { Ctrl = 1, Shift = 2, Alt = 4 };
    Kind kind = Kind::Character;
    char32_t ch = 0;        // Character: the character typed; AltChord, Chord: the key, lower case
    unsigned modifiers = 0; // Chord only

    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

struct KeyParse
{
    bool ok = false;
    std::vector<KeyStroke> keys; // empty whenever ok is false
    std::string error;           // what is wrong, for a malformed string
};

// Decodes UTF-8; each invalid or truncated sequence becomes U+FFFD.
std::u32string decodeUtf8(std::string_view text);
std::string encodeUtf8(std::u32string_view text);

KeyParse parseKeyNotation(std::u32string_view text);
std::vector<KeyStroke> literalKeys(std::u32string_view text);

// The keys back as a notation string (literal characters that the notation
// would read as commands come back in braces, e.g. "{~}"); for logs and tests.
std::string describeKeys(const std::vector<KeyStroke>& keys);

} // namespace automation
