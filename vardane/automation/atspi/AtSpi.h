#pragma once

// A client of the desktop's accessibility bus (AT-SPI over D-Bus): other
// programs' windows and controls by role and name, their actions, and the
// text of their entry fields. Each program is also asked for a connection
// of its own (peer to peer): a program whose action opens a modal dialog
// stops answering on the bus until that dialog closes, while its own
// connection keeps answering. Calls are short and bounded: a program that
// does not answer costs at most CallLimitMs.

#include "../Controls.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QDBusMessage;

namespace automation::atspi {

inline constexpr int CallLimitMs = 3000;

// Bits of an object's state set.
enum State : int {
    Active = 1,
    Editable = 7,
    Focused = 12,
    Iconified = 15,
    Sensitive = 24,
    Showing = 25,
    IsDefault = 39 // a dialog's default button
};

// An accessible object: the bus name of its program and its object path.
struct Object
{
    QString service;
    QString path;
    bool operator==(const Object&) const = default;
    bool operator<(const Object& o) const
    {
        return service != o.service ? service < o.service : path < o.path;
    }
};

enum class Route {
    Own, // the program's own connection where it has one (answers while a dialog is open)
    Bus  // the bus: for actions that may open a modal dialog
};

class Client
{
public:
    // nullptr when the session has no accessibility bus.
    static std::unique_ptr<Client> open();
    // Turns the toolkits' accessibility on for programs started from now on
    // (the bus's "IsEnabled" status, which the desktop keeps in the user's
    // settings). Returns whether it was on before; nullopt when it could not
    // be read.
    static std::optional<bool> enableForNewPrograms();

    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    QList<Object> applications();
    // The process behind a program on the bus, 0 when unknown.
    std::uint32_t processOf(const QString& service);

    QList<Object> children(const Object& o);
    QString name(const Object& o);
    QString role(const Object& o);
    // One of the attributes its toolkit gives it ("id": Gecko's element id).
    QString attribute(const Object& o, const QString& key);
    std::uint64_t states(const Object& o);
    bool has(const Object& o, State s) { return states(o) >> s & 1; }
    // The actions' own (untranslated) names, in order.
    QStringList actions(const Object& o);
    bool doAction(const Object& o, const QString& action, Route route);
    bool setText(const Object& o, const QString& text);
    QString text(const Object& o);

    // A program's top-level window of the given role and name, the program
    // known by its process (this user's programs on the bus); its program's
    // object goes to `application` when given.
    std::optional<Object> windowOf(std::uint32_t pid, const QString& role, const QString& name,
                                   Object* application = nullptr);

    // A file chooser's controls: its location field (an editable text that
    // shows, or has the keyboard focus: GTK 4 tells no text field's showing),
    // and its own command that shows the field (as its Ctrl+L does; false
    // when it has none). The field is asked once only: asked again it may
    // hide the field.
    std::optional<Object> locationField(const Object& chooser);
    bool showLocation(const Object& chooser);
    // Whether the window, or a control in it, has the keyboard focus.
    bool holdsFocus(const Object& window);
    // Presses its button that the query names (or its default button): 1
    // pressed, 0 still greyed (the chooser has not taken the name in yet: an
    // action then is ignored), -1 no such button or the press failed.
    int acceptFileChooser(const Object& chooser, const ControlQuery& button);

    // Depth first from `from` (itself included), not into the parts that
    // hold a document or many rows (message bodies, lists, tables): the first
    // object the test accepts.
    using Test = std::function<bool(const Object&, const QString& role)>;
    std::optional<Object> find(const Object& from, const Test& test);

private:
    explicit Client(const QString& address);
    QDBusConnection connectionFor(const QString& service, Route route);
    QDBusMessage call(const Object& o, const QString& interface, const QString& method,
                      const QVariantList& args, Route route = Route::Own);
    QVariant property(const Object& o, const QString& interface, const QString& name);
    std::optional<Object> findBelow(const Object& from, const Test& test, int& budget);

    QString m_busName;
    std::map<QString, QString> m_peers; // service → our peer connection's name ("": none)
    std::map<QString, std::uint32_t> m_processes; // service → process
    int m_serial = 0;
};

} // namespace automation::atspi
