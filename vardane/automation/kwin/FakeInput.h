#pragma once

// KWin takes keys from a program through its fake input (a Wayland interface
// of its own), as if they came from the seat's keyboard: they go to the
// window that holds the keyboard. KWin offers that interface only to a
// program whose desktop entry asks for it (X-KDE-Wayland-Interfaces) and that
// runs from the very file the entry names.
//
// Keys are pressed as the keyboard's layout has them: a keysym is found on
// the key (and the level, with Shift or AltGr) that gives it in the layout
// that is in use (KWin's keyboard service tells which), as a person would
// press it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace automation::kwin {

class FakeInput
{
public:
    // nullptr when the session's compositor does not offer it to this program.
    static std::unique_ptr<FakeInput> fromEnvironment();
    ~FakeInput();
    FakeInput(const FakeInput&) = delete;
    FakeInput& operator=(const FakeInput&) = delete;

    // Presses the keys (X keysyms) together: each goes down in order, with
    // the level keys it needs, then all come up in the reverse order. false
    // when one is not on the layout or the compositor went away.
    bool pressTogether(const std::vector<std::uint32_t>& keysyms);
    // Presses each keysym in turn; false as pressTogether (and nothing
    // pressed where the layout lacks one).
    bool pressEach(const std::vector<std::uint32_t>& keysyms);

    struct Connection;

private:
    explicit FakeInput(std::unique_ptr<Connection> c);
    std::unique_ptr<Connection> m_c;
};

} // namespace automation::kwin
