#include "Win32WindowSystem.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace automation {

namespace {

// An unassigned virtual key. Tapped before Alt or Win is released so that the
// release is not taken as a lone Alt tap (which opens the menu bar) or a lone
// Win tap (which opens the start menu).
constexpr WORD MaskKey = 0xE8;

HWND toHwnd(WindowHandle h)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h));
}

WindowHandle fromHwnd(HWND h)
{
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(h));
}

void appendUtf16(std::wstring& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c >= 0x10000) {
        c -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(c));
    }
}

std::wstring toUtf16(const std::string& utf8)
{
    std::wstring out;
    for (char32_t c : decodeUtf8(utf8))
        appendUtf16(out, c);
    return out;
}

// The title as the system keeps it, the text FindWindow compares. Read
// without sending the window a message, so a hung program cannot stall us.
std::wstring windowTitle(HWND w)
{
    std::wstring buf(256, L'\0');
    for (;;) {
        const int n = InternalGetWindowText(w, buf.data(), static_cast<int>(buf.size()));
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) + 1 < buf.size() || buf.size() >= (1u << 20)) {
            buf.resize(static_cast<std::size_t>(n));
            return buf;
        }
        buf.assign(buf.size() * 4, L'\0'); // possibly cut short: read again with room to spare
    }
}

std::string toUtf8(const std::wstring& utf16)
{
    std::u32string text;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = static_cast<char16_t>(utf16[i]);
        const char32_t next = i + 1 < utf16.size() ? static_cast<char16_t>(utf16[i + 1]) : 0;
        if (unit >= 0xD800 && unit < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            text.push_back(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++i;
        } else {
            text.push_back(unit); // a lone surrogate becomes U+FFFD when encoded
        }
    }
    return encodeUtf8(text);
}

std::wstring className(HWND w)
{
    wchar_t buf[257] = {};
    const int n = GetClassNameW(w, buf, 257);
    return std::wstring(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

BOOL CALLBACK collectWindow(HWND w, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

// Top-level windows, topmost first (EnumWindows walks the Z order).
std::vector<HWND> topLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Windows that are shown (minimised ones included). Hidden windows cannot
// take keys, and programs keep hidden helper windows with titles.
bool isCandidate(HWND w)
{
    return IsWindowVisible(w) != FALSE;
}

INPUT virtualKey(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    switch (vk) {
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
    return in;
}

void tap(std::vector<INPUT>& out, WORD vk)
{
    out.push_back(virtualKey(vk, false));
    out.push_back(virtualKey(vk, true));
}

// One UTF-16 unit as itself: the target receives it as a character message,
// whatever the keyboard layout, Caps Lock or the input language.
void typeUnit(std::vector<INPUT>& out, wchar_t unit)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = static_cast<WORD>(unit);
    in.ki.dwFlags = KEYEVENTF_UNICODE;
    out.push_back(in);
    in.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    out.push_back(in);
}

bool isDown(int vk)
{
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// Key releases for every modifier that is down now (held by the user, or
// left down by another program).
std::vector<INPUT> releaseHeldModifiers()
{
    struct Modifier
    {
        WORD generic, left, right;
    };
    static constexpr Modifier modifiers[] = {
        {VK_SHIFT, VK_LSHIFT, VK_RSHIFT},
        {VK_CONTROL, VK_LCONTROL, VK_RCONTROL},
        {VK_MENU, VK_LMENU, VK_RMENU},
        {0, VK_LWIN, VK_RWIN},
    };
    std::vector<INPUT> ups;
    bool masked = false;
    for (const auto& m : modifiers) {
        const bool left = isDown(m.left);
        const bool right = isDown(m.right);
        const bool generic = m.generic && isDown(m.generic);
        if (!left && !right && !generic)
            continue;
        if (!masked && (m.generic == VK_MENU || m.generic == 0)) {
            tap(ups, MaskKey);
            masked = true;
        }
        if (left)
            ups.push_back(virtualKey(m.left, true));
        if (right)
            ups.push_back(virtualKey(m.right, true));
        if (generic && !left && !right)
            ups.push_back(virtualKey(m.generic, true));
    }
    return ups;
}

// The key events for the strokes, in order. False for a stroke that cannot be
// typed (a control character other than tab and line breaks, or a chord
// with a key that has no fixed virtual key); then nothing is sent at all.
bool appendStrokes(const std::vector<KeyStroke>& keys, std::vector<INPUT>& out)
{
    char32_t previous = 0;
    for (const auto& k : keys) {
        switch (k.kind) {
        case KeyStroke::Kind::Enter:
            tap(out, VK_RETURN);
            break;
        case KeyStroke::Kind::Tab:
            tap(out, VK_TAB);
            break;
        case KeyStroke::Kind::Break:
            tap(out, VK_CANCEL);
            break;
        case KeyStroke::Kind::AltChord:
        case KeyStroke::Kind::Chord: {
            WORD vk = 0;
            if (k.ch >= U'a' && k.ch <= U'z')
                vk = static_cast<WORD>('A' + (k.ch - U'a'));
            else if (k.ch >= U'A' && k.ch <= U'Z')
                vk = static_cast<WORD>(k.ch);
            else if (k.ch >= U'0' && k.ch <= U'9')
                vk = static_cast<WORD>(k.ch);
            else
                return false;
            const unsigned modifiers =
                k.kind == KeyStroke::Kind::AltChord ? unsigned{KeyStroke::Alt} : k.modifiers;
            std::vector<WORD> held;
            if (modifiers & KeyStroke::Ctrl)
                held.push_back(VK_CONTROL);
            if (modifiers & KeyStroke::Alt)
                held.push_back(VK_MENU);
            if (modifiers & KeyStroke::Shift)
                held.push_back(VK_SHIFT);
            for (WORD m : held)
                out.push_back(virtualKey(m, false));
            tap(out, vk);
            for (auto m = held.rbegin(); m != held.rend(); ++m)
                out.push_back(virtualKey(*m, true));
            break;
        }
        case KeyStroke::Kind::Character:
            // Tab and line breaks are typed with their keys, as a person
            // would; CR LF is one Enter.
            if (k.ch == U'\t') {
                tap(out, VK_TAB);
            } else if (k.ch == U'\r') {
                tap(out, VK_RETURN);
            } else if (k.ch == U'\n') {
                if (previous != U'\r')
                    tap(out, VK_RETURN);
            } else if (k.ch < 0x20 || k.ch == 0x7F) {
                return false; // other control characters are commands to most programs
            } else {
                std::wstring units;
                appendUtf16(units, k.ch);
                for (wchar_t u : units)
                    typeUnit(out, u);
            }
            break;
        }
        previous = k.kind == KeyStroke::Kind::Character ? k.ch : 0;
    }
    return true;
}

bool sendInputs(std::vector<INPUT>& inputs)
{
    if (inputs.empty())
        return true;
    const UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

class Win32WindowSystem final : public WindowSystem
{
public:
    WindowHandle findTopWindow(WindowClass cls, const std::string& title) override
    {
        const std::wstring wanted = toUtf16(title);
        for (HWND w : topLevelWindows()) {
            if (!isCandidate(w))
                continue;
            if (cls == WindowClass::Dialog && className(w) != L"#32770")
                continue;
            if (windowTitle(w) == wanted)
                return fromHwnd(w);
        }
        return 0;
    }

    // Windows has window classes and owners, but no instance names or roles.
    std::optional<WindowHandle> findWindow(const WindowQuery& query) override
    {
        if (!query.instance.empty() || !query.role.empty())
            return std::nullopt;
        for (HWND w : topLevelWindows()) {
            if (!isCandidate(w))
                continue;
            if (query.owner != 0 && GetWindow(w, GW_OWNER) != toHwnd(query.owner))
                continue;
            if (!matchesPattern(query.className, toUtf8(className(w))) ||
                !matchesPattern(query.title, toUtf8(windowTitle(w))))
                continue;
            return fromHwnd(w);
        }
        return WindowHandle{0};
    }

    Result bringToFront(WindowHandle window) override
    {
        const HWND w = toHwnd(window);
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            if (!IsWindow(w) || !isCandidate(w))
                return Result::failed("the window has gone or is hidden: it cannot take keys");
            // A hung program takes nothing now: one try, no waiting for it
            // (keys sent to it wait in its queue); the caller may try again.
            const bool hung = IsHungAppWindow(w) != FALSE;
            if (IsIconic(w))
                ShowWindowAsync(w, SW_RESTORE);
            else if (tryForeground(w) && (hung || waitForActivation(w)))
                return Result::done();
            if (hung)
                return Result::notYet("the program does not respond");
            if (GetTickCount64() - start >= BringToFrontTimeoutMs)
                return Result::notYet("the window did not become the foreground window in time");
            Sleep(BringToFrontRetryMs);
        }
    }

    bool isWindowShown(WindowHandle window) override
    {
        const HWND w = toHwnd(window);
        return IsWindow(w) && IsWindowVisible(w);
    }

    bool isMinimized(WindowHandle window) override
    {
        const HWND w = toHwnd(window);
        return IsWindow(w) && IsIconic(w);
    }

    void restoreWindow(WindowHandle window) override
    {
        const HWND w = toHwnd(window);
        if (!IsWindow(w))
            return;
        // OpenIcon waits for the window's thread; a hung program gets the
        // request queued instead, so that it cannot stall us.
        if (IsHungAppWindow(w))
            ShowWindowAsync(w, SW_RESTORE);
        else
            OpenIcon(w);
    }

    bool activateByTitle(const std::string& title) override
    {
        if (title.empty())
            return false; // every title would begin with it
        const std::wstring wanted = toUtf16(title);
        HWND prefixMatch = nullptr;
        for (HWND w : topLevelWindows()) {
            if (!isCandidate(w))
                continue;
            const std::wstring t = windowTitle(w);
            if (t == wanted)
                return bringToFront(fromHwnd(w)).isDone();
            if (!prefixMatch && t.size() > wanted.size() &&
                t.compare(0, wanted.size(), wanted) == 0)
                prefixMatch = w;
        }
        return prefixMatch && bringToFront(fromHwnd(prefixMatch)).isDone();
    }

    bool sendKeys(const std::vector<KeyStroke>& keys) override
    {
        std::vector<INPUT> strokes;
        if (!appendStrokes(keys, strokes))
            return false;
        // One SendInput call, so that no other input can come between our
        // events, and nothing held by the user changes what we type.
        std::vector<INPUT> inputs = releaseHeldModifiers();
        inputs.insert(inputs.end(), strokes.begin(), strokes.end());
        if (sendInputs(inputs))
            return true;
        // Cut short (blocked, or the desktop switched): never leave a
        // modifier of ours down in another program.
        auto ups = releaseHeldModifiers();
        sendInputs(ups);
        return false;
    }

    bool keyboardIn(const std::vector<WindowHandle>& windows) override
    {
        const HWND foreground = GetForegroundWindow();
        if (!foreground)
            return false;
        for (const HWND w : {foreground, GetAncestor(foreground, GA_ROOT)})
            if (std::find(windows.begin(), windows.end(), fromHwnd(w)) != windows.end())
                return true;
        return false;
    }

private:
    // The foreground changes at once, but the window's own thread takes the
    // activation (and sets its focus) when it next reads its queue; keys sent
    // before that can reach no window, or lose their Alt. A message round
    // trip through that queue waits for it, bounded so that a hung program
    // cannot stall us. True when the window is still the foreground window.
    static bool waitForActivation(HWND w)
    {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, ActivationWaitMs,
                            &ignored);
        return GetForegroundWindow() == w;
    }

    static bool tryForeground(HWND w)
    {
        if (GetForegroundWindow() == w)
            return true;
        if (SetForegroundWindow(w) && GetForegroundWindow() == w)
            return true;
        // The foreground lock refused. A thread that shares the foreground
        // thread's input state may hand the foreground on: join it briefly
        // (not a hung one: sharing its input state would stall us too).
        const HWND current = GetForegroundWindow();
        if (current && IsHungAppWindow(current))
            return false;
        const DWORD foregroundThread = current ? GetWindowThreadProcessId(current, nullptr) : 0;
        const DWORD self = GetCurrentThreadId();
        const bool attached = foregroundThread != 0 && foregroundThread != self &&
                              AttachThreadInput(self, foregroundThread, TRUE);
        SetForegroundWindow(w);
        if (attached)
            AttachThreadInput(self, foregroundThread, FALSE);
        return GetForegroundWindow() == w;
    }
};

} // namespace

std::unique_ptr<WindowSystem> createWin32WindowSystem()
{
    return std::make_unique<Win32WindowSystem>();
}

} // namespace automation
