#pragma once

// Where the program's own windows really are, on a desktop whose compositor
// places X11 windows itself.
//
// sway floats a fixed-size X11 window in the middle of the screen and leaves
// a move that its program asks for unanswered: the window stays, and since
// nothing changed the X server reports nothing back. Qt then goes on taking
// the place it asked for as the window's own, and opens every menu and popup
// that far off the window, where a click works whatever lies under it. Once
// kept true, each of the program's top-level windows is told its real place
// whenever Qt's idea of it moved away from it, as a window manager tells a
// window it has moved without a change of the window's own.

class QGuiApplication;

namespace session {

// Whether the session's compositor tiles windows (floating only dialogs and
// windows of a fixed size) and places X11 windows itself, whatever they ask:
// sway, whose IPC socket the session names.
bool tilingCompositor();

// Once the application is made; nothing where the compositor honours moves
// or the windows are not X11 ones.
void keepWindowPlacesTrue(QGuiApplication& application);

} // namespace session
