#include "TestServices.h"

namespace orderapp::platform {

void RecordingMessageBox::Show(QWidget* owner, const QString& text, const QString& title,
                               MessageStyle style)
{
    Q_UNUSED(owner);
    shown.append({text, title, style});
    if (onShow)
        onShow(shown.back());
}

void RecordingDesktop::OpenAddress(const QString& address, QWidget* owner)
{
    opened.append(address);
    owners.append(owner);
}

bool RecordingClipboard::SetText(const QString& text)
{
    if (fail)
        return false;
    texts.append(text);
    return true;
}

PrinterChoice ScriptedPrinter::SelectPrinter(QWidget* owner)
{
    Q_UNUSED(owner);
    ++dialogs;
    if (answer == PrinterChoice::Chosen) {
        printer().setOutputFormat(QPrinter::PdfFormat);
        printer().setOutputFileName(outputFile);
    }
    return answer;
}

bool ScriptedPrinter::PrintClientArea(QWidget* window)
{
    ++prints;
    if (beforePrint)
        beforePrint(window);
    return QtPrinter::PrintClientArea(window);
}

QString MemoryProfileReader::GetProfileString(const QString& section, const QString& key,
                                              const QString& defaultValue, int bufferSize,
                                              const QString& fileName)
{
    requests.append({section, key, defaultValue, bufferSize, fileName});
    std::optional<QString> found;
    if (auto it = files.constFind(fileName); it != files.constEnd())
        found = ProfileData::parse(*it).value(section, key);
    return FitToBuffer(found.value_or(defaultValue), bufferSize);
}

} // namespace orderapp::platform
