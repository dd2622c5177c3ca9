#pragma once

// What the Win32 stand-in shows and logs, shared with the test that drives it.
//
// The stand-in writes one UTF-8 line per event to its log file, flushed at
// once:
//   window <hwnd in hex> <title>   for each window at start-up
//   active <title>                 a window was activated (its thread has the focus)
//   ready                          once every window is up
//   menu File                      the File menu opened
//   menu closed                    the menu bar's menus closed again
//   properties                     its Properties command ran (dialog shown)
//   convert                        the dialog's "&Convert" button was pressed
//   ok <first box>|<second box>    the dialog's OK button: both boxes, then emptied
//   closed                         the dialog was cancelled (hidden)
//   break <window>                 a plain window received the Break key
//   char <window> U+XXXX           a character reached one of the plain windows
//   hanging, awake                 around a hang asked for with HangMessage

namespace standin {

// Posted to the main window: its thread sleeps wParam ms without reading its queue.
inline constexpr unsigned HangMessage = 0x8000 + 2; // WM_APP + 2

// The main window, with the menu "&File" > "&Properties...", "E&xit".
inline constexpr wchar_t MainTitle[] = L"Sound - [Message Composition]";
inline constexpr wchar_t MainClass[] = L"TindrelStandInMain";
// The same title in other letter case, and a title that contains it.
inline constexpr wchar_t LowerCaseTitle[] = L"sound - [message composition]";
inline constexpr wchar_t ContainingTitle[] = L"Big Sound - [Message Composition] Copy";
// A plain window and a dialog (class "#32770") with one title.
inline constexpr wchar_t SharedTitle[] = L"Attachments";
inline constexpr wchar_t PlainClass[] = L"TindrelStandInPlain";
// Never shown.
inline constexpr wchar_t HiddenTitle[] = L"Hidden Window";
// One title that is another's beginning.
inline constexpr wchar_t ShortTitle[] = L"Voice";
inline constexpr wchar_t LongTitle[] = L"Voice Recorder";
// Beyond Latin-1 and beyond the Basic Multilingual Plane.
inline constexpr wchar_t UnicodeTitle[] = L"Voix \u00e9 \U0001F600 [1]";
// Minimised from the start.
inline constexpr wchar_t MinimisedTitle[] = L"Minimised One";
inline constexpr wchar_t MinimisedTitle2[] = L"Minimised Two";
// Somewhere else to put the focus.
inline constexpr wchar_t OtherTitle[] = L"Stand-In Other";
// The dialog the Properties command opens: two text boxes, "&Convert", OK, Cancel.
inline constexpr wchar_t PropertiesTitle[] = L"Properties for Sound";

} // namespace standin
