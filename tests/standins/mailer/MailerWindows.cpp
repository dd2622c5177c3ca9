#include "MailerWindows.h"

#include "ClassicMenu.h"
#include "EventLog.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace mailer {

using classic::buttonRow;
using classic::log;

std::optional<ComposeKind> composeKindFromName(const QString& name)
{
    for (ComposeKind kind :
         {ComposeKind::Netscape, ComposeKind::Composition, ComposeKind::NewMessage}) {
        if (composeKindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

QString composeKindName(ComposeKind kind)
{
    switch (kind) {
    case ComposeKind::Netscape:
        return QStringLiteral("netscape");
    case ComposeKind::Composition:
        return QStringLiteral("composition");
    case ComposeKind::NewMessage:
        break;
    }
    return QStringLiteral("newmessage");
}

QString composeTitle(ComposeKind kind)
{
    switch (kind) {
    case ComposeKind::Netscape:
        return QStringLiteral("Netscape - [Message Composition]");
    case ComposeKind::Composition:
        return QStringLiteral("Composition");
    case ComposeKind::NewMessage:
        break;
    }
    return QStringLiteral("New Message");
}

QString fileWindowTitle(ComposeKind kind)
{
    return kind == ComposeKind::NewMessage ? QStringLiteral("Insert Attachment")
                                           : QStringLiteral("Enter file to attach");
}

FileEntryDialog::FileEntryDialog(QWidget* owner, const QString& title, const QString& prompt)
    : ClassicDialog(owner)
{
    setObjectName(QStringLiteral("FileEntryDialog"));
    setWindowTitle(title);
    setModal(true);
    auto* label = new QLabel(prompt, this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("FileName"));
    label->setBuddy(m_name);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_name);
    layout->addLayout(buttonRow({ok, cancel}));
    resize(460, sizeHint().height());
    connect(ok, &QPushButton::clicked, this, &FileEntryDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &FileEntryDialog::reject);
    m_name->setFocus();
}

void FileEntryDialog::accept()
{
    const QString path = m_name->text();
    if (path.isEmpty()) {
        log({QStringLiteral("empty"), windowTitle()});
        return;
    }
    emit fileChosen(path);
    ClassicDialog::accept();
}

void FileEntryDialog::reject()
{
    log({QStringLiteral("cancel"), windowTitle()});
    ClassicDialog::reject();
}

AttachmentsDialog::AttachmentsDialog(QWidget* owner) : ClassicDialog(owner)
{
    setObjectName(QStringLiteral("AttachmentsDialog"));
    setWindowTitle(QStringLiteral("Attachments"));
    setModal(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("AttachmentList"));
    m_list->setFocusPolicy(Qt::NoFocus);
    m_attachFile = new QPushButton(QStringLiteral("Attach &File..."), this);
    m_attachFile->setObjectName(QStringLiteral("AttachFile"));
    // Enter always means OK, wherever the focus is.
    m_attachFile->setAutoDefault(false);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    auto* side = new QVBoxLayout;
    side->addWidget(m_attachFile);
    side->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttonRow({ok, cancel}));
    resize(480, 220);
    connect(m_attachFile, &QPushButton::clicked, this, &AttachmentsDialog::attachFileRequested);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_attachFile->setFocus();
}

void AttachmentsDialog::setAttachments(const QStringList& paths)
{
    m_list->clear();
    m_list->addItems(paths);
}

void AttachmentsDialog::keyPressEvent(QKeyEvent* event)
{
    const auto modifiers = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (modifiers == Qt::NoModifier && event->text().size() == 1 &&
        event->text().at(0).isLetter()) {
        const int letter = event->text().at(0).toUpper().unicode();
        const auto buttons = findChildren<QPushButton*>();
        for (QPushButton* b : buttons) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(b->text());
            if (b->isVisible() && b->isEnabled() && !mnemonic.isEmpty() &&
                mnemonic[0].key() == letter) {
                b->click();
                event->accept();
                return;
            }
        }
    }
    ClassicDialog::keyPressEvent(event);
}

ComposeWindow::ComposeWindow(ComposeKind kind, QWidget* parent) : QMainWindow(parent), m_kind(kind)
{
    setObjectName(QStringLiteral("ComposeWindow"));
    setWindowTitle(composeTitle(kind));

    auto* central = new QWidget(this);
    auto* to = new QLineEdit(central);
    to->setObjectName(QStringLiteral("To"));
    auto* subject = new QLineEdit(central);
    subject->setObjectName(QStringLiteral("Subject"));
    auto* body = new QTextEdit(central);
    body->setObjectName(QStringLiteral("Body"));
    body->setAcceptRichText(false);
    m_attachmentList = new QListWidget(central);
    m_attachmentList->setObjectName(QStringLiteral("Attachments"));
    m_attachmentList->setFocusPolicy(Qt::NoFocus);
    m_attachmentList->setMaximumHeight(70);
    auto* form = new QFormLayout(central);
    form->addRow(QStringLiteral("To:"), to);
    form->addRow(QStringLiteral("Subject:"), subject);
    form->addRow(body);
    form->addRow(QStringLiteral("Attached:"), m_attachmentList);
    setCentralWidget(central);
    resize(560, 400);
    buildMenus();
    body->setFocus();
}

void ComposeWindow::buildMenus()
{
    auto* file = new classic::ClassicMenu(QStringLiteral("&File"), this);
    menuBar()->addMenu(file);
    switch (m_kind) {
    case ComposeKind::Netscape:
        file->addAction(QStringLiteral("&New Message"));
        file->addAction(QStringLiteral("&Save Draft"));
        file->addAction(QStringLiteral("Attach &Files..."), this, &ComposeWindow::openAttachments);
        file->addSeparator();
        file->addAction(QStringLiteral("Send &Later"));
        file->addAction(QStringLiteral("&Close"), this, &QWidget::close);
        break;
    case ComposeKind::Composition: {
        // Two items share the letter T: the first T highlights "Save as
        // Template", the second "Attach", Enter opens "Attach" and a second
        // Enter chooses its first item.
        file->addAction(QStringLiteral("&New"));
        file->addAction(QStringLiteral("&Send"));
        file->addAction(QStringLiteral("Save as &Template"));
        classic::ClassicMenu* attach = file->addClassicMenu(QStringLiteral("A&ttach"));
        attach->addAction(QStringLiteral("&File..."), this, &ComposeWindow::openFileWindow);
        attach->addAction(QStringLiteral("&Web Page..."));
        file->addSeparator();
        file->addAction(QStringLiteral("&Close"), this, &QWidget::close);
        break;
    }
    case ComposeKind::NewMessage: {
        file->addAction(QStringLiteral("&Send"));
        file->addAction(QStringLiteral("&Close"), this, &QWidget::close);
        auto* insert = new classic::ClassicMenu(QStringLiteral("&Insert"), this);
        menuBar()->addMenu(insert);
        insert->addAction(QStringLiteral("&Attachment..."), this, &ComposeWindow::openFileWindow);
        insert->addAction(QStringLiteral("&Signature"));
        insert->addAction(QStringLiteral("&Hyperlink..."));
        break;
    }
    }
}

void ComposeWindow::openAttachments()
{
    if (m_attachmentsDialog) {
        m_attachmentsDialog->activateWindow();
        return;
    }
    m_attachmentsDialog = new AttachmentsDialog(this);
    m_attachmentsDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_attachmentsDialog->setAttachments(m_attachments);
    connect(m_attachmentsDialog, &AttachmentsDialog::attachFileRequested, this,
            &ComposeWindow::openFileWindow);
    connect(m_attachmentsDialog, &QDialog::finished, this, [this](int result) {
        m_attachmentsDialog = nullptr;
        log({QStringLiteral("closed"), QStringLiteral("Attachments"),
             result == QDialog::Accepted ? QStringLiteral("OK") : QStringLiteral("Cancel")});
    });
    m_attachmentsDialog->show();
}

void ComposeWindow::openFileWindow()
{
    if (m_fileDialog) {
        m_fileDialog->activateWindow();
        return;
    }
    QWidget* owner = this;
    QString prompt = QStringLiteral("File &name:");
    if (m_kind == ComposeKind::Netscape) {
        if (!m_attachmentsDialog)
            return;
        owner = m_attachmentsDialog;
        prompt = QStringLiteral("&Enter file to attach:");
    }
    m_fileDialog = new FileEntryDialog(owner, fileWindowTitle(m_kind), prompt);
    m_fileDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_fileDialog, &FileEntryDialog::fileChosen, this, &ComposeWindow::attach);
    connect(m_fileDialog, &QDialog::finished, this, [this] { m_fileDialog = nullptr; });
    m_fileDialog->show();
}

void ComposeWindow::attach(const QString& path)
{
    m_attachments << path;
    log({QStringLiteral("attached"), path,
         QFileInfo(path).isFile() ? QStringLiteral("found") : QStringLiteral("missing")});
    m_attachmentList->addItem(path);
    if (m_attachmentsDialog)
        m_attachmentsDialog->setAttachments(m_attachments);
}

void ComposeWindow::closeEvent(QCloseEvent* event)
{
    log({QStringLiteral("exit")});
    event->accept();
    emit exitRequested();
}

} // namespace mailer
