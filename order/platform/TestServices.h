#pragma once

// Versions of the platform services for tests: they record what they were asked and answer
// as told. The printer prints for real (to a PDF file) but its dialog is scripted.

#include "Platform.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace orderapp::platform {

struct ShownMessage
{
    QString text;
    QString title;
    MessageStyle style;
};

class RecordingMessageBox : public MessageBox
{
public:
    void Show(QWidget* owner, const QString& text, const QString& title,
              MessageStyle style) override;
    QList<ShownMessage> shown;
    // Runs while the message is "open" (the window state as the customer sees it then).
    std::function<void(const ShownMessage&)> onShow;
};

class RecordingDesktop : public Desktop
{
public:
    void OpenAddress(const QString& address, QWidget* owner) override;
    QStringList opened;
    QList<QPointer<QWidget>> owners;
};

class RecordingClipboard : public Clipboard
{
public:
    bool SetText(const QString& text) override;
    bool fail = false;
    QStringList texts;
};

// Answers the dialog as told; a chosen printer prints to outputFile as PDF with the real
// QPrinter, so a file that cannot be written is a real printer failure.
class ScriptedPrinter : public QtPrinter
{
public:
    PrinterChoice SelectPrinter(QWidget* owner) override;
    bool PrintClientArea(QWidget* window) override;

    PrinterChoice answer = PrinterChoice::Chosen;
    QString outputFile;
    int dialogs = 0;
    int prints = 0;
    // Runs just before the image is taken.
    std::function<void(QWidget*)> beforePrint;
};

// Serves profile files from memory, by file name; records every request.
class MemoryProfileReader : public ProfileReader
{
public:
    QString GetProfileString(const QString& section, const QString& key,
                             const QString& defaultValue, int bufferSize,
                             const QString& fileName) override;
    QHash<QString, QByteArray> files;
    struct Request
    {
        QString section, key, defaultValue;
        int bufferSize;
        QString fileName;
    };
    QList<Request> requests;
};

} // namespace orderapp::platform
