// A small Win32 program for the Windows backend's tests: a main window with a
// menu, plain windows with chosen titles, a real dialog (class "#32770", from
// an in-memory template) with two text boxes, and a log of what it receives.
// Usage: win32_standin.exe LOGFILE

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

#include "StandInTitles.h"
#include "Win32Text.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using standin::utf8;
using standin::windowText;

constexpr UINT IdProperties = 1001;
constexpr UINT IdExit = 1002;
constexpr int IdFirstBox = 101;
constexpr int IdSecondBox = 102;
constexpr int IdConvert = 103;

HANDLE logFile = INVALID_HANDLE_VALUE;
HWND mainWindow = nullptr;
HWND propertiesDialog = nullptr;
HWND sharedDialog = nullptr;
HMENU fileMenu = nullptr;

// One line, written through at once so the test sees it immediately.
void log(const std::string& line)
{
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Logs a window's activation: the moment its thread has taken the focus.
constexpr UINT ActivationDone = WM_APP + 1;

void logActivation(HWND w, UINT msg, WPARAM wParam)
{
    // Logged once the whole activation (focus included) has been handled.
    if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
        PostMessageW(w, ActivationDone, 0, 0);
    if (msg == ActivationDone)
        log("active " + utf8(windowText(w)));
}

// An in-memory dialog template: DLGTEMPLATE, then one DLGITEMTEMPLATE per
// control, each DWORD-aligned, with the strings inline.
class DialogTemplate
{
public:
    DialogTemplate(const wchar_t* title, DWORD style, short cx, short cy)
    {
        dword(style);
        dword(0); // extended style
        m_countAt = m_words.size();
        word(0); // number of controls, filled in below
        word(10), word(10), word(static_cast<WORD>(cx)), word(static_cast<WORD>(cy));
        word(0); // no menu
        word(0); // the dialog class
        text(title);
    }

    // atom: 0x0080 button, 0x0081 edit, 0x0082 static.
    void add(WORD atom, const wchar_t* caption, int id, DWORD style, short x, short y, short cx,
             short cy)
    {
        if (m_words.size() % 2)
            word(0);
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(static_cast<WORD>(x)), word(static_cast<WORD>(y));
        word(static_cast<WORD>(cx)), word(static_cast<WORD>(cy));
        word(static_cast<WORD>(id));
        word(0xFFFF), word(atom);
        text(caption);
        word(0); // no creation data
        ++m_words[m_countAt];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void word(WORD w) { m_words.push_back(w); }
    void dword(DWORD d)
    {
        word(LOWORD(d));
        word(HIWORD(d));
    }
    void text(const wchar_t* s)
    {
        for (; *s; ++s)
            word(static_cast<WORD>(*s));
        word(0);
    }

    std::vector<WORD> m_words; // WORD-sized, allocated DWORD-aligned
    std::size_t m_countAt = 0;
};

// At once, not posted: a focus change handled later, once another window has
// been activated, would activate the dialog again.
void focusFirstBox(HWND dialog)
{
    if (GetActiveWindow() == dialog)
        SendMessageW(dialog, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetDlgItem(dialog, IdFirstBox)), TRUE);
}

void resetBoxes(HWND dialog)
{
    SetDlgItemTextW(dialog, IdFirstBox, L"");
    SetDlgItemTextW(dialog, IdSecondBox, L"");
    focusFirstBox(dialog);
}

INT_PTR CALLBACK propertiesProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    logActivation(dialog, msg, wParam);
    if (msg == WM_INITDIALOG)
        return TRUE; // focus on the first text box
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IdConvert:
        focusFirstBox(dialog);
        log("convert");
        return TRUE;
    case IDOK: {
        const std::wstring first = windowText(GetDlgItem(dialog, IdFirstBox));
        const std::wstring second = windowText(GetDlgItem(dialog, IdSecondBox));
        resetBoxes(dialog);
        log("ok " + utf8(first) + "|" + utf8(second));
        return TRUE;
    }
    case IDCANCEL:
        ShowWindow(dialog, SW_HIDE);
        log("closed");
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK sharedProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    logActivation(dialog, msg, wParam);
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

void showProperties()
{
    if (!propertiesDialog) {
        DialogTemplate t(standin::PropertiesTitle,
                         WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 220, 90);
        t.add(0x0081, L"", IdFirstBox, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 8, 204, 14);
        t.add(0x0081, L"", IdSecondBox, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 28, 204, 14);
        t.add(0x0080, L"&Convert", IdConvert, BS_PUSHBUTTON | WS_TABSTOP, 8, 68, 60, 14);
        t.add(0x0080, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 84, 68, 60, 14);
        t.add(0x0080, L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 152, 68, 60, 14);
        propertiesDialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.get(),
                                                      mainWindow, propertiesProc, 0);
    }
    ShowWindow(propertiesDialog, SW_SHOW);
    SetForegroundWindow(propertiesDialog);
    resetBoxes(propertiesDialog);
    log("properties");
}

LRESULT CALLBACK mainProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    logActivation(w, msg, wParam);
    switch (msg) {
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == fileMenu)
            log("menu File");
        break;
    case WM_EXITMENULOOP:
        log("menu closed");
        break;
    case WM_ACTIVATE:
        // A menu left open in a window that is no longer active would take
        // the next keys meant for that window: close it.
        if (LOWORD(wParam) == WA_INACTIVE)
            EndMenu();
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IdProperties)
            showProperties();
        else if (LOWORD(wParam) == IdExit)
            DestroyWindow(w);
        return 0;
    case standin::HangMessage:
        // Stops answering, long enough for the system to call the program hung.
        log("hanging");
        Sleep(static_cast<DWORD>(wParam));
        log("awake");
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(w, msg, wParam, lParam);
}

LRESULT CALLBACK plainProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    logActivation(w, msg, wParam);
    if (msg == WM_KEYDOWN && wParam == VK_CANCEL) {
        log("break " + utf8(windowText(w)));
        return 0;
    }
    if (msg == WM_CHAR) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(wParam));
        log("char " + utf8(windowText(w)) + " " + code);
        return 0;
    }
    return DefWindowProcW(w, msg, wParam, lParam);
}

void announce(HWND w)
{
    char handle[32];
    std::snprintf(handle, sizeof handle, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(w)));
    log(std::string("window ") + handle + " " + utf8(windowText(w)));
}

// What a chord's keys became on arrival, and where: a chord whose Alt the
// system let go of early shows here as a plain F.
void logKey(const MSG& m)
{
    const char* kind = m.message == WM_KEYDOWN      ? "down"
                       : m.message == WM_SYSKEYDOWN ? "sysdown"
                       : m.message == WM_KEYUP      ? "up"
                       : m.message == WM_SYSKEYUP   ? "sysup"
                                                    : nullptr;
    if (!kind || (m.wParam != VK_MENU && m.wParam != 'F'))
        return;
    log(std::string("key ") + kind + (m.wParam == VK_MENU ? " Alt " : " F ") +
        utf8(windowText(m.hwnd)));
}

// show: a ShowWindow command, or 0 to leave the window hidden.
HWND createWindow(const wchar_t* cls, const wchar_t* title, int show, int slot,
                  HMENU menu = nullptr)
{
    HWND w = CreateWindowExW(0, cls, title, WS_OVERLAPPEDWINDOW, 40 + 30 * slot, 40 + 30 * slot,
                             360, 160, nullptr, menu, GetModuleHandleW(nullptr), nullptr);
    if (w && show)
        ShowWindow(w, show);
    return w;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;
    logFile = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    LocalFree(argv);
    if (logFile == INVALID_HANDLE_VALUE)
        return 3;

    WNDCLASSW wc{};
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = standin::MainClass;
    RegisterClassW(&wc);
    wc.lpfnWndProc = plainProc;
    wc.lpszClassName = standin::PlainClass;
    RegisterClassW(&wc);

    HMENU bar = CreateMenu();
    fileMenu = CreatePopupMenu();
    AppendMenuW(fileMenu, MF_STRING, IdProperties, L"&Properties...");
    AppendMenuW(fileMenu, MF_STRING, IdExit, L"E&xit");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(fileMenu), L"&File");

    // Created bottom to top: each new window opens above the ones before.
    std::vector<HWND> windows;
    int slot = 0;
    windows.push_back(createWindow(standin::PlainClass, standin::HiddenTitle, 0, slot++));
    // Minimised from the start, as a window the user minimised long ago.
    windows.push_back(
        createWindow(standin::PlainClass, standin::MinimisedTitle, SW_SHOWMINNOACTIVE, slot++));
    windows.push_back(
        createWindow(standin::PlainClass, standin::MinimisedTitle2, SW_SHOWMINNOACTIVE, slot++));
    windows.push_back(
        createWindow(standin::PlainClass, standin::OtherTitle, SW_SHOWNORMAL, slot++));
    windows.push_back(
        createWindow(standin::PlainClass, standin::ShortTitle, SW_SHOWNORMAL, slot++));
    windows.push_back(createWindow(standin::PlainClass, standin::LongTitle, SW_SHOWNORMAL, slot++));
    windows.push_back(
        createWindow(standin::PlainClass, standin::UnicodeTitle, SW_SHOWNORMAL, slot++));
    windows.push_back(
        createWindow(standin::PlainClass, standin::SharedTitle, SW_SHOWNORMAL, slot++));
    windows.push_back(
        createWindow(standin::PlainClass, standin::ContainingTitle, SW_SHOWNORMAL, slot++));
    mainWindow = createWindow(standin::MainClass, standin::MainTitle, SW_SHOWNORMAL, slot++, bar);
    windows.push_back(mainWindow);
    windows.push_back(
        createWindow(standin::PlainClass, standin::LowerCaseTitle, SW_SHOWNORMAL, slot++));
    {
        DialogTemplate t(standin::SharedTitle,
                         WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE, 120, 40);
        t.add(0x0082, L"A dialog", -1, SS_LEFT, 8, 8, 100, 10);
        sharedDialog = CreateDialogIndirectParamW(instance, t.get(), nullptr, sharedProc, 0);
        windows.push_back(sharedDialog);
    }
    for (HWND w : windows) {
        if (!w)
            return 4;
        announce(w);
    }
    log("ready");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        logKey(msg);
        if (propertiesDialog && IsDialogMessageW(propertiesDialog, &msg))
            continue;
        if (IsDialogMessageW(sharedDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(logFile);
    return 0;
}
