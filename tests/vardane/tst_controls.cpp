// Attaching through the controls of other programs' windows (the route taken
// for the native windows of a Wayland desktop, and for the file choosers of
// X11 programs on the accessibility bus), against scripted controls: the
// compose window found by its program, its attach command worked, the path
// set as text and read back, the chooser's button waited for while greyed,
// and nothing typed or touched anywhere else.

#include "FakeMailer.h"
#include "Form11.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Module1.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vardane;
using namespace automation;

namespace {

// Characters no key route could deliver: the path goes in as text.
const QString Path = QStringLiteral("/home/u/Voice Files/[12-06-98]03 45 12PM\t\"$HOME*?\n語.wav");

using Window = ScriptedControls::Window;

// Thunderbird's compose window holds its compose tool bar; its attach
// command, by the element ids that every language pack keeps.
const ScriptedControls::Control ThunderbirdToolBar{"tool bar", "", "", {}, "composeToolbar2"};
const char* const AttachFileItem = "button-attachPopup_attachFileItem";

} // namespace

class TestControls : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void attachesThroughTheControlsOfANativeWindow();
    void menuThatClosesAsItOpensIsOpenedAgain();
    void commandThatNeverComesIsGivenUp();
    void fileChooserOfAnX11ProgramOnTheBusTakesThePathAsText();
    void fileManagersChooserChoosesTheTypedFileOnEnter();
    void programOutOfReachIsExplainedOnce();

private:
    ScriptedControls& controls() { return m_auto->controlsWorld(); }
    // A file chooser of the compose window's program that reads the name in
    // during `greyedTries` refused presses, then takes it and closes.
    ControlledWindow openChooser(const Window& compose, int greyedTries);

    ScriptedAutomation* m_auto = nullptr;
    QStringList m_attached;
};

void TestControls::init()
{
    m_auto = &ScriptedAutomation::installNew();
    setEndProgramHandler([] {});
    SetOutsideWaitLimitMs(DefaultOutsideWaitLimitMs);
    SetCurrentVoiceFile(Path);
    m_attached.clear();
    form6().show();
}

void TestControls::cleanup()
{
    resetForms();
}

ControlledWindow TestControls::openChooser(const Window& compose, int greyedTries)
{
    const ControlledWindow id = controls().open({.application = compose.application,
                                                 .pid = compose.pid,
                                                 .role = "file chooser",
                                                 .name = "Select file",
                                                 .greyed = greyedTries > 0});
    auto tries = std::make_shared<int>(greyedTries);
    m_auto->onPass = [this, id, tries] {
        // The chooser takes the name in a few passes after it was set.
        if (Window* w = controls().window(id); w && !w->location.empty() && --*tries <= 0)
            w->greyed = false;
    };
    controls().window(id)->onAccept = [this, id](const std::string& path) {
        m_attached << QString::fromStdString(path);
        controls().close(id);
    };
    return id;
}

void TestControls::attachesThroughTheControlsOfANativeWindow()
{
    // Another compose window of the same program in another process, whose
    // own chooser opens at the same moment as ours, newer: it must stay as it is.
    const Window otherCompose{.application = "claws-mail",
                              .pid = 41,
                              .name = "Other - Compose message",
                              .controls = {{"push button", "Attach", "click"}}};
    controls().open(otherCompose);
    ControlledWindow otherChooser = 0;

    Window compose{.application = "claws-mail", .pid = 42, .name = "Hello - Compose message"};
    compose.active = true;
    compose.controls = {{"push button", "Attach", "click", [&, compose] {
                             openChooser(compose, 3);
                             otherChooser = controls().open({.application = "claws-mail",
                                                             .pid = 41,
                                                             .role = "file chooser",
                                                             .name = "Select file"});
                         }}};
    const ControlledWindow composeId = controls().open(compose);

    form6().Command2->click();

    QCOMPARE(m_attached, QStringList{Path});
    QVERIFY(m_auto->world().sends().isEmpty()); // nothing typed anywhere
    QCOMPARE(controls().raised, std::vector<ControlledWindow>{composeId});
    // The button was waited for while greyed, and pressed once it took the name.
    QVERIFY(controls().count("AcceptFileChooser") >= 2);
    QVERIFY(controls().log.filter("= not yet").filter("AcceptFileChooser").size() >= 1);
    QCOMPARE(controls().log.filter(QRegularExpression("AcceptFileChooser.*= done")).size(), 1);
    // The other chooser was never touched.
    QVERIFY(controls().window(otherChooser));
    QVERIFY(controls().window(otherChooser)->location.empty());
    QCOMPARE(controls().count(QStringLiteral("EnterFileName(%1)").arg(otherChooser)), 0);
    QCOMPARE(controls().count(QStringLiteral("AcceptFileChooser(%1)").arg(otherChooser)), 0);
    QCOMPARE(controls().count("ChooseTypedFile"), 0); // its button alone takes the file
    QVERIFY(!form6().isVisible());
    QVERIFY(form7().isVisible());
    QVERIFY(form8().isVisible());
    QVERIFY(form6().Timer1->isActive());
    QVERIFY(m_auto->messages.isEmpty());
}

void TestControls::menuThatClosesAsItOpensIsOpenedAgain()
{
    // Thunderbird's Attach opens a menu; the first time it closes again at once.
    Window compose{.application = "Thunderbird", .pid = 7, .name = "Write: Hello - Thunderbird"};
    const ControlledWindow id = controls().open(compose);
    auto opened = std::make_shared<int>(0);
    controls().window(id)->controls = {ThunderbirdToolBar,
                                       {"push button", "Attach", "press",
                                        [this, id, compose, opened] {
                                            if (++*opened < 2)
                                                return;
                                            controls().window(id)->controls.push_back(
                                                {"menu item", "File(s)…", "click",
                                                 [this, compose] { openChooser(compose, 0); },
                                                 AttachFileItem});
                                        },
                                        "button-attach"}};
    QElapsedTimer clock;
    clock.start();

    form6().Command2->click();

    QCOMPARE(m_attached, QStringList{Path});
    QCOMPARE(*opened, 2);
    QVERIFY(clock.elapsed() >= MenuReopenMs);
    QVERIFY(form7().isVisible());
}

void TestControls::commandThatNeverComesIsGivenUp()
{
    SetOutsideWaitLimitMs(1500);
    controls().open({.application = "claws-mail", .pid = 5, .name = "Hi - Compose message"});
    QElapsedTimer clock;
    clock.start();

    form6().Command2->click();

    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY2(m_auto->messages[0].contains(
                 "its command to attach a file (\"Attach\") could not be found."),
             qPrintable(m_auto->messages[0]));
    QVERIFY(form6().isVisible());
    QVERIFY(!form7().isVisible());
    QVERIFY(m_auto->world().sends().isEmpty());
}

void TestControls::fileChooserOfAnX11ProgramOnTheBusTakesThePathAsText()
{
    // Thunderbird on X11: its attach key opens its chooser, which is also on
    // the accessibility bus under the same process and title.
    FakeMailer mail(*m_auto, ComposeKind::Thunderbird);
    mail.pid = 99;
    controls().native = false;
    const Window chooser{
        .application = "Thunderbird", .pid = 99, .role = "file chooser", .name = "Attach File(s)"};
    const ControlledWindow id = controls().open(chooser);
    controls().window(id)->onAccept = [&](const std::string& path) {
        m_attached << QString::fromStdString(path);
        controls().close(id);
        mail.world().close(mail.fileDialog);
    };

    form6().Command2->click();

    QCOMPARE(m_attached, QStringList{Path});
    QCOMPARE(m_auto->world().sends(), QStringList{"{CTRL+SHIFT+A}"}); // no key after the chord
    QVERIFY(mail.typed.isEmpty());
    QVERIFY(form7().isVisible());
}

void TestControls::fileManagersChooserChoosesTheTypedFileOnEnter()
{
    // The portal's chooser as a window of the file manager, whose button
    // waits for a file chosen in its view; beside it, a window of the same
    // file manager that the user had open before.
    const Window filesOpenBefore{
        .application = "org.gnome.Nautilus", .pid = 7, .role = "window", .name = "Home"};
    const ControlledWindow before = controls().open(filesOpenBefore);
    ControlledWindow chooser = 0;
    Window compose{.application = "Thunderbird", .pid = 42, .name = "Write: Hello - Thunderbird"};
    compose.active = true;
    compose.controls = {ThunderbirdToolBar,
                        {"push button", "Attach", "press", {}, "button-attach"},
                        {"menu item", "File(s)…", "click",
                         [&] {
                             chooser = controls().open({.application = "org.gnome.Nautilus",
                                                        .pid = 7,
                                                        .role = "window",
                                                        .name = "Attach File(s)",
                                                        .greyed = true,
                                                        .greyedUntilChosen = true});
                             controls().window(chooser)->onAccept = [&](const std::string& path) {
                                 m_attached << QString::fromStdString(path);
                                 controls().close(chooser);
                             };
                         },
                         AttachFileItem}};
    controls().open(compose);

    form6().Command2->click();

    QCOMPARE(m_attached, QStringList{Path});
    QCOMPARE(controls().count(QStringLiteral("ChooseTypedFile(%1) = done").arg(chooser)), 1);
    QCOMPARE(controls().count(QStringLiteral("EnterFileName(%1)").arg(before)), 0);
    QCOMPARE(controls().count(QStringLiteral("ChooseTypedFile(%1)").arg(before)), 0);
    QVERIFY(form7().isVisible());
}

void TestControls::programOutOfReachIsExplainedOnce()
{
    controls().reach["Thunderbird"] = ProgramReach::Unreached;
    form6().Command2->click();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("Close Thunderbird, start it again"));
    QVERIFY(form6().isVisible());
    // Said once: the next press waits for a compose window as usual.
    form6().Command2->click();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(form6().Timer2->isActive());
    resetForms();

    // No accessibility at all: what to install.
    form6().show();
    controls().reach = {{"claws-mail", ProgramReach::NoAccessibility}};
    form6().Command2->click();
    QCOMPARE(m_auto->messages.size(), 2);
    QVERIFY(m_auto->messages[1].contains("at-spi2-core"));
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
