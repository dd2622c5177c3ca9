#pragma once

#include "WizardWindow.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vardane {

// "Choose An Existing Voice File to Play Or Attach To E-Mail": drive, folder
// and file lists, the chosen file's path, and play / attach / close.
class Form4 : public WizardWindow
{
    Q_OBJECT
public:
    Form4();
    void Form_Load();

    // The folder list's folder; setting it moves the file list there too.
    void SetDir1(const QString& folder);
    QString Dir1Path() const { return m_dir; }
    QString File1Path() const { return m_fileFolder; }
    // A file's full path: the folder, one separator (none added at a root), the name.
    static QString FullPath(const QString& folder, const QString& name);
    // The drives offered: "/" and the mounted volumes of removable or user media.
    static QStringList Drives();

    QLabel* Picture1;
    QComboBox* Drive1;
    QListWidget* Dir1;
    QListWidget* File1;
    QLabel* Label1;
    QLabel* Label3;
    QPushButton* Command4;
    QLabel* Label4;
    QPushButton* Command2;
    QPushButton* Command3;

public slots:
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Command4_Click();
    void Command2_Click();
    void Command3_Click();

private:
    void fillDir1();
    void fillFile1();

    QString m_dir;
    QString m_fileFolder;
};

} // namespace vardane
