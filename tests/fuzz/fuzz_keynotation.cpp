// Fuzz target: key strings and typed text of any content. Decoding, parsing
// and describing must never crash, and must keep their promises: a rejected
// string yields no keys, an accepted one describes back to the same keys, and
// literal mode keeps every character.

#include "KeyNotation.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace automation;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u32string text = decodeUtf8(bytes);
    check(text.size() <= bytes.size());
    // Re-encoding is valid UTF-8 that decodes to the same characters.
    check(decodeUtf8(encodeUtf8(text)) == text);

    const auto literal = literalKeys(text);
    check(literal.size() == text.size());
    const auto back = parseKeyNotation(decodeUtf8(describeKeys(literal)));
    check(back.ok && back.keys == literal);

    const auto parsed = parseKeyNotation(text);
    if (!parsed.ok) {
        check(parsed.keys.empty() && !parsed.error.empty());
    } else {
        const auto again = parseKeyNotation(decodeUtf8(describeKeys(parsed.keys)));
        check(again.ok && again.keys == parsed.keys);
        for (const auto& k : parsed.keys) {
            if (k.kind == KeyStroke::Kind::AltChord || k.kind == KeyStroke::Kind::Chord)
                check((k.ch >= U'a' && k.ch <= U'z') || (k.ch >= U'0' && k.ch <= U'9'));
            check((k.kind == KeyStroke::Kind::Chord) == (k.modifiers != 0));
        }
    }
    return 0;
}
