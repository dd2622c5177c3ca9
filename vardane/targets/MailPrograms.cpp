#include "MailPrograms.h"

namespace targets {

namespace {

// The programs found by what they say of their windows attach through a GTK
// file chooser: "/" opens its location field (leaving a list of recent files,
// where a typed path would be ignored), which takes a moment to take the
// keyboard; select-all then lets the typed path replace whatever the field
// holds, and Enter takes it.
//
// Their native windows on a Wayland desktop are found by the program's
// accessible name instead, and the file chooser opened by the controls the
// keys stand for.
MailProgram byClass(ComposeKind kind, std::string name, std::string attachKeys, WindowQuery compose,
                    std::string programClass, std::vector<ControlQuery> attachControls,
                    std::vector<std::string> processes)
{
    MailProgram p{.kind = kind, .name = std::move(name)};
    p.attachKeys = {std::move(attachKeys)};
    p.keysBeforePath = {"/", "{CTRL+A}"};
    p.keysAfterPath = {"~"};
    p.fileDialog = {.className = std::move(programClass)};
    p.fileDialog.application = compose.application;
    p.fileDialog.accessibleRole = FileChooserRole;
    p.compose = std::move(compose);
    p.attachControls = std::move(attachControls);
    p.processNames = std::move(processes);
    return p;
}

WindowQuery accessible(WindowQuery x11, std::string application, std::string name,
                       ControlQuery holds = {})
{
    x11.application = std::move(application);
    x11.accessibleName = std::move(name);
    x11.holds = std::move(holds);
    return x11;
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

    MailProgram thunderbird = byClass(
        ComposeKind::Thunderbird, "Thunderbird", "{CTRL+SHIFT+A}",
        accessible({.instance = "Msgcompose", .className = "thunderbird*"}, "Thunderbird",
                   "Write: *"),
        "thunderbird*", {{"push button", "Attach", "press"}, {"menu item", "File(s)*", "click"}},
        {"thunderbird"});
    // Gecko looks at the desktop's accessibility switch only as it starts.
    thunderbird.unreachedAdvice =
        "Thunderbird is running, but it was started before this desktop's accessibility "
        "support was turned on, so Tindrel cannot reach its windows. The support is now "
        "on. Close Thunderbird, start it again, open your message in it, then press "
        "\"Attach Voice\" again.";
    all.push_back(std::move(thunderbird));
    // Evolution's compose window is titled with the subject alone: it is the
    // window that holds the command to attach a file.
    all.push_back(byClass(ComposeKind::Evolution, "Evolution", "{CTRL+M}",
                          accessible({.className = "Evolution", .role = "EMsgComposer*"},
                                     "evolution", "", {"menu item", "Attachment*"}),
                          "Evolution", {{"menu item", "Attachment*", "click"}}, {"evolution"}));
    all.push_back(byClass(ComposeKind::ClawsMail, "Claws Mail", "{CTRL+M}",
                          accessible({.className = "Claws-mail", .role = "compose"}, "claws-mail",
                                     "* - Compose message*"),
                          "Claws-mail", {{"push button", "Attach", "click"}}, {"claws-mail"}));
    return all;
}

} // namespace

const char* const NoAccessibilityAdvice =
    "Your e-mail program runs directly on this Wayland desktop, where Tindrel reaches its "
    "windows through the desktop's accessibility support, which is missing or not running. "
    "Install it (Debian package at-spi2-core), log in again, then press \"Attach Voice\" again.";

const char* const FileChooserRole = "file chooser";
const ControlQuery FileChooserAccept = {"push button", "Open", "click"};

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
