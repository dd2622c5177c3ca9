#pragma once

// The real e-mail programs the wizard attaches to, as the tests and the
// demonstration road start them: with a throw-away home folder set up so that
// each opens a compose window at once (no account wizard, no network), and
// where each keeps the drafts it saves.

#include "automation/Automation.h"
#include "targets/MailPrograms.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>

#include <functional>
#include <vector>
#include <optional>

namespace mailprograms {

inline void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An mbox file holds several messages, each after a "From " line.
inline QList<QByteArray> splitMbox(const QByteArray& mbox)
{
    QList<QByteArray> out;
    const QByteArray text = '\n' + mbox;
    qsizetype at = text.indexOf("\nFrom ");
    while (at >= 0) {
        const qsizetype body = text.indexOf('\n', at + 1);
        const qsizetype next = text.indexOf("\nFrom ", at + 1);
        if (body < 0)
            break;
        out << text.mid(body + 1, (next < 0 ? text.size() : next) - body - 1);
        at = next;
    }
    return out;
}

// --- MIME, just enough to read a draft back --------------------------------

struct Message
{
    QString subject;
    QList<QByteArray> leaves; // every leaf part, decoded
};

inline QByteArray headerValue(const QByteArray& headers, const QByteArray& name)
{
    // Headers unfolded, names in any case.
    QByteArray unfolded = headers;
    unfolded.replace("\n\t", " ").replace("\n ", " ");
    for (const QByteArray& line : unfolded.split('\n'))
        if (line.size() > name.size() && line.left(name.size()).toLower() == name &&
            line[name.size()] == ':')
            return line.mid(name.size() + 1).trimmed();
    return {};
}

inline void collectLeaves(const QByteArray& part, QList<QByteArray>* leaves)
{
    qsizetype split = part.indexOf("\n\n");
    if (split < 0)
        split = part.size();
    const QByteArray headers = part.left(split);
    const QByteArray body = part.mid(split + 2);
    const QByteArray type = headerValue(headers, "content-type");
    if (type.toLower().startsWith("multipart/")) {
        static const QRegularExpression boundaryRx(
            QStringLiteral("boundary=(?:\"([^\"]+)\"|([^;\\s]+))"),
            QRegularExpression::CaseInsensitiveOption);
        const auto m = boundaryRx.match(QString::fromLatin1(type));
        if (!m.hasMatch())
            return;
        const QByteArray delimiter =
            "\n--" + (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).toLatin1();
        const QByteArray rest = '\n' + body;
        for (qsizetype at = rest.indexOf(delimiter); at >= 0;) {
            const qsizetype start = rest.indexOf('\n', at + 1);
            const qsizetype next = rest.indexOf(delimiter, at + delimiter.size());
            if (start < 0 || next < 0)
                break;
            collectLeaves(rest.mid(start + 1, next - start - 1), leaves);
            at = next;
        }
        return;
    }
    const QByteArray encoding = headerValue(headers, "content-transfer-encoding").toLower();
    leaves->append(encoding == "base64" ? QByteArray::fromBase64(body) : body);
}

inline Message parseMessage(QByteArray raw)
{
    raw.replace("\r\n", "\n");
    Message m;
    const qsizetype split = raw.indexOf("\n\n");
    m.subject = QString::fromUtf8(headerValue(raw.left(split < 0 ? raw.size() : split), "subject"));
    collectLeaves(raw, &m.leaves);
    return m;
}

struct MailProgram
{
    QString executable;
    QString package;
    // Its compose windows, on X11 and through accessibility, as the wizard finds them.
    automation::WindowQuery compose;
    automation::AccessibleQuery accessibleCompose;
    // The controls that save the message as a draft, in order (where its
    // window is reached through accessibility; elsewhere its Ctrl+S does).
    std::vector<automation::ControlQuery> saveDraft;
    // Its compose windows' titles in English ("": they carry the subject alone).
    QString englishTitle;
    std::function<void(const QString& home)> makeProfile;
    // Argument lists: the first starts the program, the others (run to their
    // end) hand further compose windows to it.
    std::function<QList<QStringList>(const QString& home, const QStringList& subjects)> commands;
    // The drafts saved so far, each a whole message.
    std::function<QList<QByteArray>(const QString& home)> drafts;
    bool ignoresTerm = false; // with a dialog open it must be killed
};

// A compose window as the wizard finds it: on the window system, else (a
// native window of a Wayland desktop) through its controls.
struct ComposeWindow
{
    automation::WindowHandle window = 0;
    automation::ControlledWindow controlled = 0;
    explicit operator bool() const { return window || controlled; }
};

// The program's compose window whose title holds the subject.
inline ComposeWindow findCompose(const MailProgram& p, const QString& subject)
{
    const std::string pattern = "*" + subject.toStdString() + "*";
    automation::WindowQuery x11 = p.compose;
    x11.title = pattern;
    if (const auto w = automation::FindWindowLike(x11))
        return {w, 0};
    automation::AccessibleQuery accessible = p.accessibleCompose;
    accessible.title = pattern;
    return {0, automation::FindControlledWindow(accessible)};
}

inline QString mailto(const QString& subject)
{
    return QStringLiteral("mailto:?subject=") + subject;
}

inline MailProgram thunderbird()
{
    MailProgram p;
    p.executable = "thunderbird";
    p.package = "thunderbird";
    p.compose = targets::mailProgram(targets::ComposeKind::Thunderbird).compose;
    p.accessibleCompose = targets::mailProgram(targets::ComposeKind::Thunderbird).accessibleCompose;
    p.saveDraft = {{.role = "menu", .action = "click", .id = "menu_File"},
                   {.role = "menu item", .action = "click", .id = "menu_SaveCmd"}};
    p.englishTitle = "Write: *";
    p.makeProfile = [](const QString& home) {
        // A POP3 account that never connects, and Local Folders for the drafts.
        writeFile(home + "/profile/user.js", R"(
user_pref("mail.accountmanager.accounts", "account1,account2");
user_pref("mail.accountmanager.defaultaccount", "account1");
user_pref("mail.accountmanager.localfoldersserver", "server2");
user_pref("mail.account.account1.identities", "id1");
user_pref("mail.account.account1.server", "server1");
user_pref("mail.account.account2.server", "server2");
user_pref("mail.identity.id1.fullName", "Test User");
user_pref("mail.identity.id1.useremail", "test@localhost");
user_pref("mail.identity.id1.draft_folder", "mailbox://nobody@Local%20Folders/Drafts");
user_pref("mail.identity.id1.drafts_folder_picker_mode", "1");
user_pref("mail.identity.id1.valid", true);
user_pref("mail.server.server1.hostname", "127.0.0.1");
user_pref("mail.server.server1.name", "test");
user_pref("mail.server.server1.type", "pop3");
user_pref("mail.server.server1.userName", "test");
user_pref("mail.server.server1.login_at_startup", false);
user_pref("mail.server.server1.check_new_mail", false);
user_pref("mail.server.server1.directory-rel", "[ProfD]Mail/127.0.0.1");
user_pref("mail.server.server2.hostname", "Local Folders");
user_pref("mail.server.server2.name", "Local Folders");
user_pref("mail.server.server2.type", "none");
user_pref("mail.server.server2.userName", "nobody");
user_pref("mail.server.server2.directory-rel", "[ProfD]Mail/Local Folders");
user_pref("mailnews.start_page.enabled", false);
user_pref("mail.shell.checkDefaultClient", false);
user_pref("mail.provider.suppress_dialog_on_startup", true);
user_pref("mail.spellcheck.inline", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("app.update.enabled", false);
)");
    };
    p.commands = [](const QString& home, const QStringList& subjects) {
        QList<QStringList> out;
        for (const QString& s : subjects)
            out << QStringList{"--profile", home + "/profile", "-compose",
                               QStringLiteral("subject='%1'").arg(s)};
        return out;
    };
    p.drafts = [](const QString& home) {
        return splitMbox(readAll(home + "/profile/Mail/Local Folders/Drafts"));
    };
    return p;
}

inline MailProgram evolution()
{
    MailProgram p;
    p.executable = "evolution";
    p.package = "evolution";
    p.compose = targets::mailProgram(targets::ComposeKind::Evolution).compose;
    p.accessibleCompose = targets::mailProgram(targets::ComposeKind::Evolution).accessibleCompose;
    p.saveDraft = {
        {.role = "menu item", .name = "Save as _Draft", .action = "click", .domain = "evolution"}};
    p.makeProfile = [](const QString&) {}; // opens a composer with no account at all
    p.commands = [](const QString&, const QStringList& subjects) {
        QStringList uris; // one start takes them all (a second start opens the main window)
        for (const QString& s : subjects)
            uris << mailto(s);
        return QList<QStringList>{uris};
    };
    p.drafts = [](const QString& home) {
        QList<QByteArray> out;
        QDirIterator it(home + "/.local/share/evolution/mail/local/.Drafts", QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << readAll(it.next());
        return out;
    };
    return p;
}

inline MailProgram clawsMail()
{
    MailProgram p;
    p.executable = "claws-mail";
    p.package = "claws-mail";
    p.compose = targets::mailProgram(targets::ComposeKind::ClawsMail).compose;
    p.accessibleCompose = targets::mailProgram(targets::ComposeKind::ClawsMail).accessibleCompose;
    // Its menu's Save (Ctrl+S) keeps the window open; the Draft button closes it.
    p.saveDraft = {
        {.role = "menu item", .name = "_Save", .action = "click", .domain = "claws-mail"}};
    p.englishTitle = "* - Compose message*";
    p.makeProfile = [](const QString& home) {
        writeFile(home + "/.claws-mail/accountrc", "[Account: 1]\naccount_name=test\n"
                                                   "is_default=1\nname=Test User\n"
                                                   "address=test@localhost\nprotocol=0\n"
                                                   "receive_server=localhost\n"
                                                   "smtp_server=localhost\nuser_id=test\n");
        writeFile(home + "/.claws-mail/folderlist.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<folderlist>
<folder type="mh" name="Mailbox" path="Mail" collapsed="0">
<folderitem type="inbox" name="inbox" path="inbox"/>
<folderitem type="outbox" name="sent" path="sent"/>
<folderitem type="queue" name="queue" path="queue"/>
<folderitem type="trash" name="trash" path="trash"/>
<folderitem type="draft" name="draft" path="draft"/>
</folder>
</folderlist>
)");
        for (const char* f : {"inbox", "sent", "queue", "trash", "draft"})
            QDir().mkpath(home + "/Mail/" + f);
        writeFile(home + "/.claws-mail/clawsrc", "[Common]\nenable_aspell=0\n");
    };
    p.commands = [](const QString&, const QStringList& subjects) {
        QList<QStringList> out;
        for (const QString& s : subjects)
            out << QStringList{"--compose", mailto(s)};
        return out;
    };
    p.drafts = [](const QString& home) {
        QList<QByteArray> out;
        static const QRegularExpression number(QStringLiteral("^\\d+$"));
        for (const QString& f : QDir(home + "/Mail/draft").entryList(QDir::Files))
            if (number.match(f).hasMatch())
                out << readAll(home + "/Mail/draft/" + f);
        return out;
    };
    p.ignoresTerm = true;
    return p;
}

// By the name of its program ("thunderbird", "evolution", "claws-mail").
inline std::optional<MailProgram> mailProgramNamed(const QString& name)
{
    for (auto make : {thunderbird, evolution, clawsMail})
        if (MailProgram p = make(); p.executable == name)
            return p;
    return std::nullopt;
}

// Programs on X11 that join the desktop's accessibility bus, as on an X11
// desktop that runs the accessibility service (TINDREL_MAIL_ACCESSIBILITY=on;
// Thunderbird needs the desktop's accessibility switch on as it starts).
inline bool accessibleOnX11()
{
    return qEnvironmentVariable("TINDREL_MAIL_ACCESSIBILITY") == QLatin1String("on");
}

// The desktop's accessibility switch, as its settings or a screen reader
// turn it (for the programs started after); false when it could not be set.
inline bool setAccessibilityEnabled(bool on)
{
    QDBusMessage m = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                    "org.freedesktop.DBus.Properties", "Set");
    m.setArguments({"org.a11y.Status", "IsEnabled", QVariant::fromValue(QDBusVariant(on))});
    return QDBusConnection::sessionBus().call(m).type() == QDBusMessage::ReplyMessage;
}

// The environment to start one in: the home folder given, nothing of the
// user's own settings. On X11 without the accessibility bus unless
// accessibleOnX11(); on a Wayland session as the desktop starts it (natively
// on Wayland, and nothing about accessibility set either way).
inline QProcessEnvironment mailEnvironment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                          "QT_QPA_PLATFORM", "GDK_BACKEND", "NO_AT_BRIDGE", "GNOME_ACCESSIBILITY"})
        env.remove(v);
    env.insert("GSETTINGS_BACKEND", "memory");
    if (!env.contains("WAYLAND_DISPLAY") && !accessibleOnX11())
        env.insert("NO_AT_BRIDGE", "1");
    return env;
}

} // namespace mailprograms
