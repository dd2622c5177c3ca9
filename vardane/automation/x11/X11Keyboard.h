#pragma once

// Typing through XTest into whichever window has the input focus.
//
// Every character arrives as itself: a character on the keyboard map is typed
// with its own key (with Shift where the map has it on the shifted level);
// a character missing from the map is bound once to a spare key code, the
// same keysym on both levels so that no case conversion can touch it, and
// the binding is kept for the rest of the session.

#include "../KeyNotation.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace automation::x11 {

class Keyboard
{
public:
    explicit Keyboard(Display* display);

    // Sends the keys in order. Nothing at all is sent when some key cannot be
    // typed (error says why). Afterwards no modifier key is held.
    bool send(const std::vector<KeyStroke>& keys, std::string* error);

    // The keysym a character is typed as, or NoSymbol for control characters
    // that have no key of their own.
    static KeySym keysymFor(char32_t ch);

private:
    struct Key
    {
        KeyCode code = 0;
        bool shift = false;
    };
    struct Binding
    {
        KeySym keysym = NoSymbol;
        std::uint64_t lastUse = 0;
    };
    struct Map
    {
        int minCode = 0;
        int maxCode = 0;
        int perCode = 0;
        std::vector<KeySym> syms;
        KeySym at(int code, int column) const;
        bool empty(int code) const;
    };

    Map readMap() const;
    static bool find(const Map& map, KeySym keysym, bool unshiftedOnly, Key* key);
    bool bindMissing(Map& map, const std::vector<KeySym>& missing,
                     const std::vector<KeyCode>& inUse, const std::vector<KeyCode>& modifierCodes,
                     std::string* error);
    void releaseHeld(const std::vector<KeyCode>& modifierCodes);

    Display* m_display;
    std::map<KeyCode, Binding> m_bound; // spare key codes we gave a keysym
    std::uint64_t m_sends = 0;
};

} // namespace automation::x11
