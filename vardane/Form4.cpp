#include "Form4.h"

#include "Flow.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>

namespace vardane {

using namespace automation;

QString Form4::FullPath(const QString& folder, const QString& name)
{
    const QString dir = QDir::fromNativeSeparators(folder);
    return QDir::toNativeSeparators(dir.endsWith(u'/') ? dir : dir + u'/') + name;
}

Form4::Form4() : WizardWindow("Form4")
{
    setWindowTitle(QStringLiteral("Choose An Existing Voice File to Play Or Attach To E-Mail"));
    makeFixedWindow(this, twips(5385), twips(3690));
    const QFont text = uiFont(11, true);
    const QFont list = uiFont(11);

    Picture1 = makePicture(this, "Picture1", QStringLiteral(":/pictures/folder.png"),
                           QRect(6, 6, 104, 48));
    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(6, 60, 104, 22);
    Drive1->setFont(list);
    for (const QString& d : Drives())
        Drive1->addItem(d, d);
    Dir1 = new QListWidget(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(116, 6, 116, 94);
    Dir1->setFont(list);
    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(238, 6, 115, 94);
    File1->setFont(list);
    File1->setSelectionMode(QAbstractItemView::SingleSelection);

    Label3 = makeLabel(this, "Label3",
                       QStringLiteral("Click On The Voice File You Want To Test. (If One Is "
                                      "Already Selected, Click On A New One.)"),
                       QRect(6, 103, 238, 40), text);
    Command4 =
        makeButton(this, "Command4", QStringLiteral("Test Voice File"), QRect(250, 109, 103, 24));
    Label1 =
        makeLabel(this, "Label1", QString(), QRect(6, 145, 347, 18), uiFont(11), Qt::blue, false);
    Label1->setAutoFillBackground(true);
    QPalette white = Label1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Label1->setPalette(white);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label4 = makeLabel(this, "Label4",
                       QStringLiteral("Do You Want To Attach The Selected Voice File To Your "
                                      "E-Mail Message?"),
                       QRect(6, 166, 238, 30), text, Navy);
    Command2 =
        makeButton(this, "Command2", QStringLiteral("Yes, Attach File"), QRect(250, 168, 103, 24));
    for (int y : {202, 206}) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(6, y, 347, 3);
    }
    Command3 = makeButton(this, "Command3", QStringLiteral("Close"), QRect(142, 214, 75, 26));

    connect(Drive1, &QComboBox::activated, this, &Form4::Drive1_Change);
    connect(Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { SetDir1(item->data(Qt::UserRole).toString()); });
    connect(File1, &QListWidget::itemClicked, this, &Form4::File1_Click);
    connect(Command4, &QPushButton::clicked, this, &Form4::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form4::Command3_Click);

    m_dir = QDir::rootPath();
    fillDir1();
    Dir1_Change();
}

void Form4::Form_Load()
{
    PlaceWindow(this, 2);
    MakeTopmost(this);
}

QStringList Form4::Drives()
{
    QStringList drives{QDir::rootPath()};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        const QString root = v.rootPath();
        if (root == QDir::rootPath() || drives.contains(root))
            continue;
        for (const char* place : {"/media/", "/mnt/", "/run/media/"})
            if (root.startsWith(QLatin1String(place)))
                drives << root;
    }
    return drives;
}

void Form4::SetDir1(const QString& folder)
{
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    if (clean == m_dir)
        return;
    m_dir = clean;
    fillDir1();
    Dir1_Change();
}

void Form4::fillDir1()
{
    Dir1->clear();
    // The folder's ancestors from the root down, then its subfolders, indented like a tree.
    QStringList chain;
    for (QDir d(m_dir);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& path : chain) {
        const QString name = QDir(path).isRoot() ? path : QFileInfo(path).fileName();
        auto* item = new QListWidgetItem(QString(depth * 2, u' ') + name, Dir1);
        item->setData(Qt::UserRole, path);
        ++depth;
    }
    Dir1->setCurrentRow(Dir1->count() - 1);
    const auto children =
        QDir(m_dir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& child : children) {
        auto* item = new QListWidgetItem(QString(depth * 2, u' ') + child.fileName(), Dir1);
        item->setData(Qt::UserRole, child.absoluteFilePath());
    }
}

void Form4::fillFile1()
{
    File1->clear();
    QDir dir(m_fileFolder);
    dir.setNameFilters({QStringLiteral("*.wav")}); // any letter case
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    File1->addItems(dir.entryList());
}

void Form4::Drive1_Change()
{
    const QString root = Drive1->currentData().toString();
    const QDir dir(root);
    if (!dir.exists() || !dir.isReadable()) {
        ShowMessage(QStringLiteral("You Need To Insert A Disk Into This Drive!"));
        return;
    }
    SetDir1(root);
}

void Form4::Dir1_Change()
{
    m_fileFolder = m_dir;
    fillFile1();
}

void Form4::File1_Click()
{
    const QListWidgetItem* item = File1->currentItem();
    if (!item)
        return;
    Label1->setText(FullPath(m_fileFolder, item->text()));
}

void Form4::Command4_Click()
{
    if (Label1->text().isEmpty()) {
        ShowMessage(QStringLiteral("You Need To Select a WAV File To Play"));
        return;
    }
    OpenDocument(this, Label1->text(), QFileInfo(Label1->text()).absolutePath());
}

void Form4::Command2_Click()
{
    SetCurrentVoiceFile(Label1->text());
    flow::VoiceFileChosen();
}

void Form4::Command3_Click()
{
    flow::BrowserLeft();
}

} // namespace vardane
