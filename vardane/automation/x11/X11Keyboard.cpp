#include "X11Keyboard.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <set>

// Why no pause follows a new binding: the keyboard map is changed by a request
// on this connection and the keys follow as later requests on the same
// connection. The server handles requests in order, so it has sent every
// client (the target included) the map-change notice before it sends the
// first key event, and a client handles its events in order: toolkits re-read
// the map when the notice arrives (Qt and GTK through XKB, plain Xlib programs
// through XRefreshKeyboardMapping), before they translate the next key. The
// bindings are never taken back while keys may still be on their way, which
// is where typing through temporary bindings loses characters.

namespace automation::x11 {

namespace {

constexpr KeySym UnicodeKeysymBase = 0x01000000;

bool isDown(const char keys[32], KeyCode code)
{
    return (keys[code / 8] >> (code % 8)) & 1;
}

std::string hex(unsigned long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04lX", value);
    return text;
}

} // namespace

Keyboard::Keyboard(Display* display) : m_display(display) {}

KeySym Keyboard::keysymFor(char32_t ch)
{
    if (ch == U'\n' || ch == U'\r')
        return XK_Return;
    if (ch == U'\t')
        return XK_Tab;
    if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0) || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
        return NoSymbol;
    if (ch <= 0xFF)
        return ch; // Latin-1 keysyms are the code points themselves
    return UnicodeKeysymBase + ch;
}

KeySym Keyboard::Map::at(int code, int column) const
{
    if (code < minCode || code > maxCode || column >= perCode)
        return NoSymbol;
    return syms[static_cast<std::size_t>((code - minCode) * perCode + column)];
}

bool Keyboard::Map::empty(int code) const
{
    for (int c = 0; c < perCode; ++c)
        if (at(code, c) != NoSymbol)
            return false;
    return true;
}

Keyboard::Map Keyboard::readMap() const
{
    Map map;
    XDisplayKeycodes(m_display, &map.minCode, &map.maxCode);
    const int count = map.maxCode - map.minCode + 1;
    KeySym* syms =
        XGetKeyboardMapping(m_display, static_cast<KeyCode>(map.minCode), count, &map.perCode);
    if (!syms) {
        map.perCode = 0;
        return map;
    }
    map.syms.assign(syms, syms + static_cast<std::size_t>(count) * map.perCode);
    XFree(syms);
    return map;
}

bool Keyboard::find(const Map& map, KeySym keysym, bool unshiftedOnly, Key* key)
{
    // The same character may also appear under its Unicode keysym.
    KeySym alternative = NoSymbol;
    if (keysym >= 0x20 && keysym <= 0xFF)
        alternative = UnicodeKeysymBase + keysym;
    for (const int column : {0, 1}) {
        if (column == 1 && unshiftedOnly)
            break;
        for (int code = map.minCode; code <= map.maxCode; ++code) {
            const KeySym s = map.at(code, column);
            if (s != NoSymbol && (s == keysym || s == alternative)) {
                *key = {static_cast<KeyCode>(code), column == 1};
                return true;
            }
        }
    }
    return false;
}

bool Keyboard::bindMissing(Map& map, const std::vector<KeySym>& missing,
                           const std::vector<KeyCode>& inUse,
                           const std::vector<KeyCode>& modifierCodes, std::string* error)
{
    if (map.perCode < 1) {
        *error = "the keyboard map could not be read";
        return false;
    }
    // Bindings of ours that a keyboard change has since replaced are gone.
    std::erase_if(m_bound, [&](const auto& b) { return map.at(b.first, 0) != b.second.keysym; });

    // Free key codes first, the highest first (the lowest ones are the likeliest
    // to be given keys by a later keyboard change).
    std::vector<KeyCode> spare;
    for (int code = map.maxCode; code >= map.minCode; --code)
        if (map.empty(code) &&
            std::find(modifierCodes.begin(), modifierCodes.end(), code) == modifierCodes.end())
            spare.push_back(static_cast<KeyCode>(code));
    // Then our own earlier bindings that this send does not need, least
    // recently used first.
    if (spare.size() < missing.size()) {
        std::vector<std::pair<std::uint64_t, KeyCode>> reusable;
        for (const auto& [code, binding] : m_bound)
            if (!map.empty(code) && std::find(inUse.begin(), inUse.end(), code) == inUse.end())
                reusable.emplace_back(binding.lastUse, code);
        std::sort(reusable.begin(), reusable.end());
        for (const auto& r : reusable)
            spare.push_back(r.second);
    }
    if (spare.size() < missing.size()) {
        *error = std::to_string(missing.size()) +
                 " different characters are missing from the keyboard map, but only " +
                 std::to_string(spare.size()) + " key codes are free to bind them to";
        return false;
    }

    // One request per run of consecutive key codes: each request makes every
    // client re-read the keyboard map.
    std::vector<std::pair<KeyCode, KeySym>> plan;
    for (std::size_t i = 0; i < missing.size(); ++i)
        plan.emplace_back(spare[i], missing[i]);
    std::sort(plan.begin(), plan.end());
    const int per = map.perCode;
    for (std::size_t i = 0; i < plan.size();) {
        std::size_t j = i + 1;
        while (j < plan.size() && plan[j].first == plan[j - 1].first + 1)
            ++j;
        std::vector<KeySym> rows(static_cast<std::size_t>(per) * (j - i), NoSymbol);
        for (std::size_t k = i; k < j; ++k) {
            // The same keysym on both levels: no case conversion, no matter
            // whether a client thinks Shift or Caps Lock is in effect.
            rows[(k - i) * per] = plan[k].second;
            if (per > 1)
                rows[(k - i) * per + 1] = plan[k].second;
        }
        XChangeKeyboardMapping(m_display, plan[i].first, per, rows.data(), static_cast<int>(j - i));
        i = j;
    }

    map = readMap(); // also a round trip: the server has applied the change
    bool accepted = true;
    for (const auto& [code, keysym] : plan) {
        m_bound[code] = {map.at(code, 0), m_sends};
        accepted = accepted && map.at(code, 0) == keysym && (per < 2 || map.at(code, 1) == keysym);
    }
    if (!accepted)
        *error = "the X server did not accept a key binding";
    return accepted;
}

void Keyboard::releaseHeld(const std::vector<KeyCode>& modifierCodes)
{
    char keys[32] = {};
    XQueryKeymap(m_display, keys);
    for (const KeyCode code : modifierCodes)
        if (isDown(keys, code))
            XTestFakeKeyEvent(m_display, code, False, CurrentTime);
}

bool Keyboard::send(const std::vector<KeyStroke>& keys, std::string* error)
{
    if (keys.empty())
        return true;
    if (m_sends++ == 0) {
        int opcode = 0;
        int event = 0;
        int xkbError = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        XkbQueryExtension(m_display, &opcode, &event, &xkbError, &major, &minor);
    }

    // The keysym of every stroke.
    std::vector<KeySym> syms;
    syms.reserve(keys.size());
    for (const auto& k : keys) {
        KeySym s = NoSymbol;
        switch (k.kind) {
        case KeyStroke::Kind::Character:
        case KeyStroke::Kind::AltChord:
        case KeyStroke::Kind::Chord:
            s = keysymFor(k.ch);
            break;
        case KeyStroke::Kind::Enter:
            s = XK_Return;
            break;
        case KeyStroke::Kind::Tab:
            s = XK_Tab;
            break;
        case KeyStroke::Kind::Break:
            s = XK_Pause;
            break;
        }
        if (s == NoSymbol) {
            *error = "U+" + hex(k.ch) + " is a control character without a key";
            return false;
        }
        syms.push_back(s);
    }

    std::vector<KeyCode> modifierCodes;
    std::vector<KeyCode> shiftCodes;
    std::vector<KeyCode> altCodes;
    std::vector<KeyCode> controlCodes;
    if (XModifierKeymap* mods = XGetModifierMapping(m_display)) {
        for (int row = 0; row < 8; ++row)
            for (int i = 0; i < mods->max_keypermod; ++i) {
                const KeyCode code = mods->modifiermap[row * mods->max_keypermod + i];
                if (!code)
                    continue;
                modifierCodes.push_back(code);
                if (row == ShiftMapIndex)
                    shiftCodes.push_back(code);
                if (row == Mod1MapIndex)
                    altCodes.push_back(code);
                if (row == ControlMapIndex)
                    controlCodes.push_back(code);
            }
        XFreeModifiermap(mods);
    }

    Map map = readMap();
    std::vector<Key> resolved(keys.size());
    std::vector<KeySym> missing;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        // Alt with a shifted key would be Alt+Shift, which opens no menu: a
        // key that is only on a shifted level gets a binding of its own. A
        // chord holds Shift only when it says so.
        const bool unshiftedOnly =
            keys[i].kind == KeyStroke::Kind::AltChord || keys[i].kind == KeyStroke::Kind::Chord;
        if (!find(map, syms[i], unshiftedOnly, &resolved[i]) &&
            std::find(missing.begin(), missing.end(), syms[i]) == missing.end())
            missing.push_back(syms[i]);
    }
    if (!missing.empty()) {
        std::vector<KeyCode> inUse;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (std::find(missing.begin(), missing.end(), syms[i]) == missing.end())
                inUse.push_back(resolved[i].code);
        if (!bindMissing(map, missing, inUse, modifierCodes, error))
            return false;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (std::find(missing.begin(), missing.end(), syms[i]) != missing.end())
                find(map, syms[i], true, &resolved[i]);
    }
    for (const Key& key : resolved)
        if (auto b = m_bound.find(key.code); b != m_bound.end())
            b->second.lastUse = m_sends;

    auto modifierKey = [&](const std::vector<KeyCode>& codes,
                           std::initializer_list<KeySym> preferred) -> KeyCode {
        for (const KeySym want : preferred)
            for (const KeyCode code : codes)
                if (map.at(code, 0) == want)
                    return code;
        return codes.empty() ? 0 : codes.front();
    };
    const KeyCode shift = modifierKey(shiftCodes, {XK_Shift_L, XK_Shift_R});
    const KeyCode alt = modifierKey(altCodes, {XK_Alt_L, XK_Alt_R, XK_Meta_L});
    const KeyCode control = modifierKey(controlCodes, {XK_Control_L, XK_Control_R});
    // The modifier keys a stroke holds, in the order they go down.
    auto held = [&](const KeyStroke& k, const Key& key) {
        std::vector<std::pair<KeyCode, const char*>> down;
        if (k.kind == KeyStroke::Kind::Chord) {
            if (k.modifiers & KeyStroke::Ctrl)
                down.emplace_back(control, "Ctrl");
            if (k.modifiers & KeyStroke::Alt)
                down.emplace_back(alt, "Alt");
            if (k.modifiers & KeyStroke::Shift)
                down.emplace_back(shift, "Shift");
        } else if (k.kind == KeyStroke::Kind::AltChord) {
            down.emplace_back(alt, "Alt");
        } else if (key.shift) {
            down.emplace_back(shift, "Shift");
        }
        return down;
    };
    for (std::size_t i = 0; i < keys.size(); ++i)
        for (const auto& [code, name] : held(keys[i], resolved[i]))
            if (!code) {
                *error = std::string("the keyboard map has no ") + name + " key";
                return false;
            }

    // Typing assumes the first group and no Caps Lock: undo both (and any
    // latched modifier) for the duration of the send.
    XkbStateRec state{};
    const bool haveState = XkbGetState(m_display, XkbUseCoreKbd, &state) == Success;
    const bool capsLocked = haveState && (state.locked_mods & LockMask);
    const int lockedGroup = haveState ? state.locked_group : 0;
    if (capsLocked)
        XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, 0);
    if (lockedGroup)
        XkbLockGroup(m_display, XkbUseCoreKbd, 0);
    if (haveState && state.latched_mods)
        XkbLatchModifiers(m_display, XkbUseCoreKbd, state.latched_mods, 0);

    // A modifier still down (from a person, or a program that stopped half
    // way) would change every key that follows.
    releaseHeld(modifierCodes);

    // Press and release follow each other in the output buffer; nothing waits
    // in between, so the server never sees a key held long enough to repeat.
    auto tap = [&](KeyCode code) {
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    };
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto down = held(keys[i], resolved[i]);
        for (const auto& d : down)
            XTestFakeKeyEvent(m_display, d.first, True, CurrentTime);
        tap(resolved[i].code);
        for (auto d = down.rbegin(); d != down.rend(); ++d)
            XTestFakeKeyEvent(m_display, d->first, False, CurrentTime);
    }

    if (lockedGroup)
        XkbLockGroup(m_display, XkbUseCoreKbd, static_cast<unsigned int>(lockedGroup));
    if (capsLocked)
        XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, LockMask);
    // Fake input is applied as its request is handled, so after this round
    // trip the server's key state is final: nothing may be left down.
    releaseHeld(modifierCodes);
    XSync(m_display, False);
    return true;
}

} // namespace automation::x11
