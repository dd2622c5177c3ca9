#include "MailPrograms.h"

namespace targets {

namespace {

// A button's role as the accessibility bus reports it: "push button" before
// at-spi2-core 2.53.90, "button" from then on.
constexpr const char* AnyButton = "push button|button";
// Evolution's X11 class: "Evolution", from 3.56 "Org.gnome.Evolution".
constexpr const char* EvolutionClass = "Evolution|Org.gnome.Evolution";

// The programs found by what they say of their windows attach through a GTK
// file chooser: "/" opens its location field (leaving a list of recent files,
// where a typed path would be ignored), which takes a moment to take the
// keyboard; select-all then lets the typed path replace whatever the field
// holds, and Enter takes it.
//
// Where the desktop portal answers, a program may have its file chooser
// shown by the portal's backend instead, a window of another process owned by
// the compose window; on X11 it is found by that backend's class, and takes
// the same keys (the GTK backend's is the same chooser).
//
// Their native windows on a Wayland desktop are found by the program's
// accessible name instead, and the file chooser opened by the controls the
// keys stand for.
MailProgram byClass(ComposeKind kind, std::string name, std::string attachKeys, WindowQuery compose,
                    AccessibleQuery accessibleCompose, std::string programClass,
                    std::vector<ControlQuery> attachControls, std::vector<std::string> processes)
{
    MailProgram p{.kind = kind, .name = std::move(name)};
    p.attachKeys = {std::move(attachKeys)};
    p.keysBeforePath = {"/", "{CTRL+A}"};
    p.keysAfterPath = {"~"};
    p.compose = std::move(compose);
    p.fileDialog = {.className = programClass + "|" + PortalFileChooserClass};
    p.accessibleFileDialog = {.application = accessibleCompose.application,
                              .role = FileChooserRole};
    p.accessibleCompose = std::move(accessibleCompose);
    p.attachControls = std::move(attachControls);
    p.processNames = std::move(processes);
    return p;
}

std::vector<MailProgram> makeRecords()
{
    std::vector<MailProgram> all;
    all.push_back({.kind = ComposeKind::Netscape,
                   .name = "Netscape",
                   .composeTitle = "Netscape - [Message Composition]",
                   .fileDialogTitle = "Enter file to attach",
                   .attachmentsDialog = true,
                   .attachKeys = {"%F", "F"},
                   .keysAfterPath = {"~", "~"}});
    all.push_back({.kind = ComposeKind::Composition,
                   .name = "Composition",
                   .composeTitle = "Composition",
                   .fileDialogTitle = "Enter file to attach",
                   .fileDialogIsDialog = false,
                   .attachKeys = {"%F", "T", "T", "~", "~"},
                   .keysAfterPath = {"~"}});
    all.push_back({.kind = ComposeKind::NewMessage,
                   .name = "New Message",
                   .composeTitle = "New Message",
                   .fileDialogTitle = "Insert Attachment",
                   .fileDialogIsDialog = false,
                   .attachKeys = {"%I", "A"},
                   .keysAfterPath = {"~"},
                   .pauseBeforeNotices = true});

    // Thunderbird's windows and controls are known by their element ids,
    // which no language pack changes: its compose window is the one with the
    // compose tool bar among its own children.
    MailProgram thunderbird = byClass(
        ComposeKind::Thunderbird, "Thunderbird", "{CTRL+SHIFT+A}",
        {.instance = "Msgcompose", .className = "thunderbird*"},
        {.application = "Thunderbird",
         .holds = {.role = "tool bar", .id = "composeToolbar2"},
         .holdsAtTop = true},
        "thunderbird*",
        {{.role = AnyButton, .action = "press", .id = "button-attach"},
         {.role = "menu item", .action = "click", .id = "button-attachPopup_attachFileItem"}},
        {"thunderbird"});
    // Gecko looks at the desktop's accessibility switch only as it starts.
    thunderbird.unreachedAdvice =
        "Thunderbird is running, but it was started before this desktop's accessibility "
        "support was turned on, so Tindrel cannot reach its windows. The support is now "
        "on. Close Thunderbird, start it again, open your message in it, then press "
        "\"Attach Voice\" again.";
    all.push_back(std::move(thunderbird));
    // The GTK programs' names are their catalogues' messages, matched as
    // the program shows them in its user's language. Evolution's compose
    // window is titled with the subject alone: it is the window that holds
    // the command to attach a file.
    const ControlQuery evolutionAttach = {
        .role = "menu item", .name = "_Attachment…", .action = "click", .domain = "evolution"};
    all.push_back(
        byClass(ComposeKind::Evolution, "Evolution", "{CTRL+M}",
                {.className = EvolutionClass, .role = "EMsgComposer*"},
                {.application = "evolution|org.gnome.Evolution", .holds = evolutionAttach},
                EvolutionClass, {evolutionAttach}, {"evolution"}));
    all.push_back(byClass(
        ComposeKind::ClawsMail, "Claws Mail", "{CTRL+M}",
        {.className = "Claws-mail", .role = "compose"},
        {.application = "claws-mail", .name = "%s - Compose message%s", .domain = "claws-mail"},
        "Claws-mail",
        {{.role = AnyButton, .name = "Attach", .action = "click", .domain = "claws-mail"}},
        {"claws-mail"}));
    return all;
}

} // namespace

const char* const NoAccessibilityAdvice =
    "Your e-mail program runs directly on this Wayland desktop, where Tindrel reaches its "
    "windows through the desktop's accessibility support, which is missing or not running. "
    "Install it (Debian package at-spi2-core), log in again, then press \"Attach Voice\" again.";

const char* const FileChooserRole = "file chooser";
// As GTK 3 and 4 label it, or the portal's backends (GTK's, GNOME's).
const ControlQuery FileChooserAccept = {
    .role = AnyButton,
    .name = "_Open",
    .action = "click",
    .domain = "gtk30|gtk40|xdg-desktop-portal-gtk|xdg-desktop-portal-gnome"};
const char* const PortalFileChooserClass = "Xdg-desktop-portal-gtk";
// GNOME's backend (GTK 4) shows it as a dialog, GNOME 47 and later as a
// window of the file manager, whose role GTK 4 names "window"; KDE's (Qt)
// is on the bus only where a screen reader runs, and its name field reads
// quotes as a list of names: it is reached by keys, always. Only the one
// that opens after the program's command is taken for its chooser.
const AccessibleQuery PortalFileChooser = {
    .application = "xdg-desktop-portal-gtk|xdg-desktop-portal-gnome|org.gnome.Nautilus",
    .role = "file chooser|dialog|window",
    .windowClass = "xdg-desktop-portal-kde|org.freedesktop.impl.portal.desktop.kde"};
const AccessibleQuery FileManagerChooser = {.application = "org.gnome.Nautilus", .role = "window"};

const std::vector<MailProgram>& mailPrograms()
{
    static const std::vector<MailProgram> all = makeRecords();
    return all;
}

const MailProgram& mailProgram(ComposeKind kind)
{
    return mailPrograms().at(static_cast<std::size_t>(kind));
}

} // namespace targets
