#pragma once

#include <QWidget>

namespace vardane {

// A window of the wizard other than the main one. Its close box only hides
// it; when that leaves none of the program's windows on screen, the main
// window comes back, so the user is never left without a window.
class WizardWindow : public QWidget
{
    Q_OBJECT
public:
    explicit WizardWindow(const char* objectName);
    // Once the program is ending, a handler that goes on after its waits
    // have ended shows no window again.
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace vardane
