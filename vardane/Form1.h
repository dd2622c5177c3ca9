#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;

namespace vardane {

// The main window "Tindrel": the wizard's first screen and the one every
// "Start Over" returns to.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    Form1();
    void Form_Load();

    // Starts the recorder and switches it to the compressed format (New).
    void StartRecording();
    // Back in its place and shown, as at the end of every road.
    void ShowAgain();
    // Not shown again once the program is ending, as the other windows.
    void setVisible(bool visible) override;

    QLabel* Picture1;
    QLabel* Label2;
    QLabel* Label3;
    QMenu* File;
    QAction* New;
    QAction* Open;
    QAction* Exit;
    QAction* Seperator;
    QAction* About;

public slots:
    void New_Click();
    void Open_Click();
    void Exit_Click();
    void About_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace vardane
