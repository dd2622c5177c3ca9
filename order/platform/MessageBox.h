#pragma once

#include <QString>

class QWidget;

namespace orderapp::platform {

// The styles the program uses: an OK button and the icon of the style.
enum class MessageStyle {
    Plain = 0,        // no icon
    Exclamation = 48, // warning icon
    Information = 64, // information icon
};

class MessageBox
{
public:
    virtual ~MessageBox() = default;
    // Shows a modal message with an OK button and waits for it. Lines of the text are broken
    // with a single carriage return.
    virtual void Show(QWidget* owner, const QString& text, const QString& title,
                      MessageStyle style) = 0;
};

class QtMessageBox : public MessageBox
{
public:
    void Show(QWidget* owner, const QString& text, const QString& title,
              MessageStyle style) override;
};

// The text as shown: every CR, CR LF or LF becomes one line break.
QString DisplayLines(const QString& text);

} // namespace orderapp::platform
