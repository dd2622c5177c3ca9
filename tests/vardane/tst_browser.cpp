// The voice file browser: its lists, the chosen path, and its three buttons.

#include "Form1.h"
#include "Form4.h"
#include "Form6.h"
#include "Module1.h"
#include "scripted/ScriptedAutomation.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace vardane;
using namespace automation;

namespace {

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

QStringList items(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text().trimmed();
    return out;
}

void clickFile(Form4& b, const QString& name)
{
    const auto found = b.File1->findItems(name, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    b.File1->setCurrentItem(found.first());
    emit b.File1->itemClicked(found.first());
}

} // namespace

class TestBrowser : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listsOnlyWavFilesInAnyLetterCase();
    void fullPathHasOneSeparator_data();
    void fullPathHasOneSeparator();
    void choiceSurvivesAFolderChange();
    void testVoiceFile();
    void attachHandsOnTheChoiceEvenWhenEmpty();
    void closeLeavesTheVoiceFileAlone();
    void unreadyDriveKeepsTheLists();
    void stateIsKeptBetweenOpeningsExceptWhatOpenResets();

private:
    ScriptedAutomation* m_auto = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBrowser::init()
{
    m_auto = &ScriptedAutomation::installNew();
    m_dir = std::make_unique<QTemporaryDir>();
    SetVoiceFolder(m_dir->filePath("Voice Files"));
    QDir().mkpath(VoiceFolder() + "/older");
    for (const char* name :
         {"[12-06-98]03 45 12PM.wav", "LOUD.WAV", "mixed.Wav", "notes.txt", "wav", "x.wav.bak"})
        touch(VoiceFolder() + "/" + name);
    touch(VoiceFolder() + "/older/old.wav");
    setEndProgramHandler([] {});
    form1().Open->trigger();
}

void TestBrowser::cleanup()
{
    resetForms();
    SetVoiceFolder({});
}

void TestBrowser::listsOnlyWavFilesInAnyLetterCase()
{
    Form4& b = form4();
    QVERIFY(b.isVisible());
    QCOMPARE(items(b.File1), (QStringList{"[12-06-98]03 45 12PM.wav", "LOUD.WAV", "mixed.Wav"}));
    // The folder list shows where it is and the subfolders.
    QVERIFY(items(b.Dir1).contains("Voice Files"));
    QVERIFY(items(b.Dir1).contains("older"));
    QCOMPARE(b.Dir1->currentItem()->text().trimmed(), QStringLiteral("Voice Files"));
}

void TestBrowser::fullPathHasOneSeparator_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("ordinary folder") << "/home/u/Voice Files"
                                     << "/home/u/Voice Files/a.wav";
    QTest::newRow("folder given with separator") << "/home/u/"
                                                 << "/home/u/a.wav";
    QTest::newRow("root") << "/"
                          << "/a.wav";
}

void TestBrowser::fullPathHasOneSeparator()
{
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(Form4::FullPath(folder, "a.wav"), QDir::toNativeSeparators(path));
}

void TestBrowser::choiceSurvivesAFolderChange()
{
    Form4& b = form4();
    clickFile(b, "LOUD.WAV");
    const QString chosen = QDir::toNativeSeparators(VoiceFolder() + "/LOUD.WAV");
    QCOMPARE(b.Label1->text(), chosen);
    // Open the subfolder as a double-click would.
    const auto older = b.Dir1->findItems("older", Qt::MatchContains);
    QVERIFY(!older.isEmpty());
    emit b.Dir1->itemActivated(older.first());
    QCOMPARE(items(b.File1), QStringList{"old.wav"});
    QCOMPARE(b.Label1->text(), chosen);
    b.Command4->click();
    QCOMPARE(m_auto->openedDocuments, QStringList{chosen});
    b.Command2->click();
    QCOMPARE(CurrentVoiceFile(), chosen);
}

void TestBrowser::testVoiceFile()
{
    Form4& b = form4();
    b.Command4->click();
    QCOMPARE(m_auto->messages, QStringList{"You Need To Select a WAV File To Play"});
    QVERIFY(m_auto->openedDocuments.isEmpty());
    // A name that a shell would act on is only ever handed to the desktop as a file.
    const QString odd = "$(touch pwned); `id` | x 'q\".wav";
    touch(VoiceFolder() + "/" + odd);
    b.SetDir1(VoiceFolder() + "/older");
    b.SetDir1(VoiceFolder());
    clickFile(b, odd);
    b.Command4->click();
    QCOMPARE(m_auto->openedDocuments.last(), QDir::toNativeSeparators(VoiceFolder() + "/" + odd));
    QVERIFY(b.isVisible()); // the browser stays open
}

void TestBrowser::attachHandsOnTheChoiceEvenWhenEmpty()
{
    SetCurrentVoiceFile("/earlier.wav");
    Form4& b = form4();
    b.Command2->click();
    QCOMPARE(CurrentVoiceFile(), QString());
    QVERIFY(!b.isVisible());
    QVERIFY(form6().isVisible());
    QVERIFY(m_auto->messages.isEmpty());
}

void TestBrowser::closeLeavesTheVoiceFileAlone()
{
    SetCurrentVoiceFile("/earlier.wav");
    Form4& b = form4();
    clickFile(b, "mixed.Wav");
    b.Command3->click();
    QCOMPARE(CurrentVoiceFile(), QStringLiteral("/earlier.wav"));
    QVERIFY(!b.isVisible());
    QVERIFY(form1().isVisible());
}

void TestBrowser::unreadyDriveKeepsTheLists()
{
    Form4& b = form4();
    clickFile(b, "LOUD.WAV");
    const QString label = b.Label1->text();
    const QStringList files = items(b.File1);
    b.Drive1->addItem("/media/empty-drive", m_dir->filePath("no-such-drive"));
    b.Drive1->setCurrentIndex(b.Drive1->count() - 1);
    b.Drive1_Change();
    QCOMPARE(m_auto->messages, QStringList{"You Need To Insert A Disk Into This Drive!"});
    QCOMPARE(b.Drive1->currentIndex(), b.Drive1->count() - 1); // still shows the chosen drive
    QCOMPARE(b.Dir1Path(), QDir(VoiceFolder()).absolutePath());
    QCOMPARE(items(b.File1), files);
    QCOMPARE(b.Label1->text(), label);
    // A ready drive moves the folder list to it.
    b.Drive1->setCurrentIndex(0);
    b.Drive1_Change();
    QCOMPARE(b.Dir1Path(), QDir::rootPath());
    QCOMPARE(b.Label1->text(), label);
}

void TestBrowser::stateIsKeptBetweenOpeningsExceptWhatOpenResets()
{
    Form4& b = form4();
    b.Drive1->setCurrentIndex(0);
    clickFile(b, "LOUD.WAV");
    b.SetDir1(VoiceFolder() + "/older");
    b.Command3->click();
    form1().Open->trigger();
    QCOMPARE(&form4(), &b);
    QCOMPARE(b.Dir1Path(), QDir(VoiceFolder()).absolutePath());
    QVERIFY(b.Label1->text().isEmpty());
    QCOMPARE(items(b.File1).size(), 3); // the voice files again
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
