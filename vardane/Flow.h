#pragma once

// Which of the wizard's windows comes next. A window's handler does its own
// work and then says what happened (a message saved, a file chosen, a road
// left); what that hides and shows, and what the other windows need to know,
// is decided here, and only here does one window reach another.

#include <QString>

namespace vardane::flow {

// Recording or choosing a message begins: Attach Voice answers again.
void MessageBegun();

// The instructions beside the recorder (the Stop button's window).
void ShowInstructions();
// Whether they are up; the first look creates their window.
bool InstructionsUp();
// The recorder was stopped: the instructions give way to "Save" or "Start Over".
void RecordingStopped();

// The main window gives way to the browser of the voice files in `folder`
// (ending in a separator).
void BrowseVoiceFiles(const QString& folder);
// The browser left without a file: the main window again.
void BrowserLeft();
// A voice file chosen in the browser: the attach window.
void VoiceFileChosen();

void ShowAbout();

// An outside program failed the wizard: the user is told, then the main
// window comes back in its place with the recording windows hidden.
void GiveUp(const QString& message);
// The discarded message's road has ended: the main window in its place, the
// instructions hidden.
void MessageDiscarded();
// "Please Wait" until the main window is back.
void ShowPleaseWait();
// Whether the main window is shown.
bool MainWindowUp();

// The message was saved: the saved notice, then the attach window.
void MessageSaved();
// Whether the saved notice is up for its time; the first look creates it.
bool SavedNoticeUp();
// The saved notice taken down before its time, where it exists.
void EndSavedNotice();
// The saved notice's time is over: the attach window in front.
void SavedNoticeOver();
// Whether the attach window is shown; the first look creates it.
bool AttachWindowUp();

// Whether a window other than the attach window's own notices is up: a press
// of Attach Voice then finds no compose window to work.
bool OtherStepUp();
// Whether a window shown by another handler ends the attach road's waits:
// any step's window, and the main window when `withMainWindow`.
bool AttachAbandoned(bool withMainWindow);
// The file went in: the notices that say so (the attach window's timer takes
// the second down).
void ShowAttachedNotices();
// The attached notice's time is over, or the user has moved on.
void EndAttachedNotice();
// No compose window was found for a while: the notice asking for one.
void ShowNoComposeNotice();
// "Start Over" in the attach window.
void StartOverFromAttach();
// "Start Over" in the window that says the file went in.
void StartOverAfterAttached();

// A wizard window was closed: when it was the last one up, the main window
// comes back.
void WindowClosed();

} // namespace vardane::flow
