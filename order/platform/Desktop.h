#pragma once

#include <QString>

class QWidget;

namespace orderapp::platform {

class Desktop
{
public:
    virtual ~Desktop() = default;
    // Asks the desktop to open the address (a web page in the browser), normally shown.
    // The outcome is left to the desktop.
    virtual void OpenAddress(const QString& address, QWidget* owner) = 0;
};

// Hands the address to the desktop's URL handler; never through a shell.
class QtDesktop : public Desktop
{
public:
    void OpenAddress(const QString& address, QWidget* owner) override;
};

} // namespace orderapp::platform
