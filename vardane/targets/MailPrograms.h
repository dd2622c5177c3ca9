#pragma once

// What the wizard knows about each e-mail program whose compose window it
// attaches a voice file to: how its compose window and file dialog are found,
// the keys or controls that open the dialog and hand it the path, the names
// of its processes, and what to tell the user when it runs out of reach.
// Adding a program is one record here (and its suite); the wizard, its
// advice, the tests and the benchmarks all read these records.

#include "Controls.h"

#include <string>
#include <vector>

namespace targets {

using automation::AccessibleQuery;
using automation::ControlQuery;
using automation::WindowQuery;

// The kinds of compose window recognised, in their order of preference. The
// first three are known by their whole titles; the others, whose titles carry
// the subject and the user's language, by what the program says of its windows.
enum class ComposeKind { Netscape, Composition, NewMessage, Thunderbird, Evolution, ClawsMail };

struct MailProgram
{
    ComposeKind kind = {};
    std::string name = {}; // as the user knows it

    // Found by whole titles: the compose window's (empty: found by `compose`)
    // and the file dialog's (empty: found by `fileDialog`).
    std::string composeTitle = {};
    std::string fileDialogTitle = {};
    // The file dialog is looked for with the dialog class, and brought to the
    // front before the path is typed.
    bool fileDialogIsDialog = true;
    // An "Attachments" dialog comes before the file dialog.
    bool attachmentsDialog = false;

    // Key groups in the wizard's key notation: sent once the compose window
    // is in front; sent into the file dialog before the path (each followed
    // by half a second) and after it.
    std::vector<std::string> attachKeys = {};
    std::vector<std::string> keysBeforePath = {};
    std::vector<std::string> keysAfterPath = {};
    // Half a second before the success notices.
    bool pauseBeforeNotices = false;

    // For the kinds without a title to look for: the compose window and its
    // file dialog (owned by the compose window when looked for), as the window
    // system shows them and as the program puts them on the accessibility bus.
    WindowQuery compose = {};
    WindowQuery fileDialog = {};
    AccessibleQuery accessibleCompose = {};
    AccessibleQuery accessibleFileDialog = {};
    // Where the compose window is reached through its controls instead of
    // keys: the controls that open its file chooser, in order.
    std::vector<ControlQuery> attachControls = {};

    // Its processes' names, and what to do when one runs but its windows
    // cannot be reached until the user does something (empty: never so).
    std::vector<std::string> processNames = {};
    std::string unreachedAdvice = {};
};

// Every program, in the order of ComposeKind.
const std::vector<MailProgram>& mailPrograms();
const MailProgram& mailProgram(ComposeKind kind);

// Said when an e-mail program runs directly on a Wayland desktop whose
// accessibility support is missing or not running.
extern const char* const NoAccessibilityAdvice;

// A file chooser reached through its controls: its role, and the button that
// accepts the chosen file (or the dialog's default button, whatever its label).
extern const char* const FileChooserRole;
extern const ControlQuery FileChooserAccept;
// The desktop portal's file chooser, a window of the portal's backend (or of
// the file manager it asks), which a program may show instead of its own
// (the backend shows one for any program that asks).
extern const AccessibleQuery PortalFileChooser;
// Its X11 class (the GTK backend's), for a window owned by the program's.
extern const char* const PortalFileChooserClass;
// Those of them that GNOME (from 47 on) shows as a window of its file
// manager. Its button waits for a file chosen in its view: Enter in its
// location field chooses the file the field names.
extern const AccessibleQuery FileManagerChooser;

} // namespace targets
