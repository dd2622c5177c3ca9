#pragma once

#include <QString>

namespace orderapp::platform {

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    // Puts the text on the clipboard as plain text. False when the clipboard did not take it.
    virtual bool SetText(const QString& text) = 0;
};

// The system clipboard.
class QtClipboard : public Clipboard
{
public:
    bool SetText(const QString& text) override;
};

} // namespace orderapp::platform
