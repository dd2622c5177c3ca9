#pragma once

// The stand-in e-mail program's windows: a compose window of one of three
// kinds, each with the menus and dialogs that its attach keys reach.
//
//   kind         compose window title                 attach keys, then the file window
//   netscape     "Netscape - [Message Composition]"   Alt+F, F: dialog "Attachments";
//                                                     F there: dialog "Enter file to attach"
//   composition  "Composition"                        Alt+F, T, T, Enter, Enter:
//                                                     "Enter file to attach"
//   newmessage   "New Message"                        Alt+I, A: "Insert Attachment"
//
// In a file window the name box has the focus; Enter attaches what was typed
// (an empty box keeps the window open), Escape closes it without attaching.

#include "ClassicDialog.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <optional>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace mailer {

enum class ComposeKind { Netscape, Composition, NewMessage };

std::optional<ComposeKind> composeKindFromName(const QString& name); // "netscape", ...
QString composeKindName(ComposeKind kind);
QString composeTitle(ComposeKind kind);
QString fileWindowTitle(ComposeKind kind);

// A window that asks for the path of a file to attach.
class FileEntryDialog : public classic::ClassicDialog
{
    Q_OBJECT
public:
    FileEntryDialog(QWidget* owner, const QString& title, const QString& prompt);

    QLineEdit* nameBox() const { return m_name; }
    void accept() override; // attaches the typed path; an empty box keeps the window open
    void reject() override;

signals:
    void fileChosen(const QString& path);

private:
    QLineEdit* m_name = nullptr;
};

// "Attachments": the files attached so far; "Attach File..." (the letter F,
// as in the dialogs of the desktop the program comes from, where a dialog's
// buttons answer to their plain letter) asks for another; Enter is OK.
class AttachmentsDialog : public classic::ClassicDialog
{
    Q_OBJECT
public:
    explicit AttachmentsDialog(QWidget* owner);

    void setAttachments(const QStringList& paths);

signals:
    void attachFileRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QListWidget* m_list = nullptr;
    QPushButton* m_attachFile = nullptr;
};

class ComposeWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit ComposeWindow(ComposeKind kind, QWidget* parent = nullptr);

    ComposeKind kind() const { return m_kind; }
    QStringList attachments() const { return m_attachments; }
    AttachmentsDialog* attachmentsDialog() const { return m_attachmentsDialog; }
    FileEntryDialog* fileDialog() const { return m_fileDialog; }

public slots:
    void openAttachments(); // netscape
    void openFileWindow();

signals:
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void attach(const QString& path);

    ComposeKind m_kind;
    QStringList m_attachments;
    QListWidget* m_attachmentList = nullptr;
    QPointer<AttachmentsDialog> m_attachmentsDialog;
    QPointer<FileEntryDialog> m_fileDialog;
};

} // namespace mailer
