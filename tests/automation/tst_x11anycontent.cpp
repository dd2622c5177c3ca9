// Key strings and typed text of any content, sent for real through the X11
// backend into a text box of this test's own: control characters, letters
// from any script, characters beyond the basic plane, malformed notation and
// 4 KB strings never crash the automation layer, never leave it unable to
// type, and whatever it accepts arrives exactly.

#include "Automation.h"
#include "x11/X11WindowSystem.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

using namespace automation;

namespace {

QString randomText(QRandomGenerator& rng, int length, bool controls)
{
    static const char32_t pools[][2] = {
        {0x01, 0x1F},     {0x20, 0x7E},     {0x7F, 0x7F},     {0xA0, 0xFF},
        {0x391, 0x3C9},   {0x410, 0x44F},   {0x4E00, 0x4E20}, {0x1F600, 0x1F610},
        {0xFFFD, 0xFFFD}, {0x202E, 0x202E}, // right-to-left override
    };
    QString text;
    while (text.size() < length) {
        const auto& pool = pools[rng.bounded(int(std::size(pools)))];
        if (!controls && (pool[0] == 0x01 || pool[0] == 0x7F))
            continue;
        const char32_t c = pool[0] + char32_t(rng.bounded(int(pool[1] - pool[0] + 1)));
        text += QString::fromUcs4(&c, 1);
    }
    return text;
}

} // namespace

class TestX11AnyContent : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void anyContentIsSafe();

private:
    std::unique_ptr<Automation> m_auto;
    std::unique_ptr<QLineEdit> m_box;
    WindowHandle m_boxWindow = 0;
};

void TestX11AnyContent::initTestCase()
{
    auto backend = openX11WindowSystem();
    QVERIFY2(backend, "no X server");
    m_auto = std::make_unique<Automation>(std::move(backend));
    m_auto->allowKeysToOwnWindows(true); // the box typed into is this test's own
    m_box = std::make_unique<QLineEdit>();
    m_box->setMaxLength(1 << 20);
    m_box->setWindowTitle(QStringLiteral("Any Content Box"));
    m_box->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
    m_boxWindow = m_auto->FindTopWindow(QString(), QStringLiteral("Any Content Box"));
    QVERIFY(QTest::qWaitFor([&] { return m_auto->BringToFront(m_boxWindow) == 1; }, 10000));
    QVERIFY(QTest::qWaitForWindowActive(m_box.get()));
}

void TestX11AnyContent::anyContentIsSafe()
{
    QRandomGenerator rng(4096);
    int acceptedLiteral = 0;
    for (int i = 0; i < 40; ++i) {
        const int length = i % 10 == 0 ? 4096 : int(rng.bounded(120));
        const QString text = randomText(rng, length, i % 3 == 0);
        // Notation: anything may be refused, nothing may crash.
        m_auto->SendKeystrokes(m_boxWindow, text, KeyMode::Notation);
        m_auto->SendKeystrokes(m_boxWindow, text + QStringLiteral("%"), KeyMode::Notation);
        m_auto->SendKeystrokes(m_boxWindow, QStringLiteral("{") + text, KeyMode::Notation);
        // Whatever of it was typed has arrived once a marker typed after it has.
        const QString marker = QStringLiteral("#%1#").arg(i);
        QVERIFY(m_auto->SendKeystrokes(m_boxWindow, marker, KeyMode::Literal));
        QTRY_VERIFY_WITH_TIMEOUT(m_box->text().endsWith(marker), 20000);

        // Literal: what is accepted arrives exactly.
        m_box->clear();
        if (m_auto->SendKeystrokes(m_boxWindow, text, KeyMode::Literal)) {
            ++acceptedLiteral;
            // Tab and Return arrive as those keys, which a line box does not insert.
            QString expected = text;
            expected.remove(u'\t').remove(u'\n');
            QTRY_COMPARE_WITH_TIMEOUT(m_box->text(), expected, 20000);
        }
    }
    QVERIFY(acceptedLiteral > 0);

    // Still types, with no modifier left held.
    m_box->clear();
    QVERIFY(m_auto->SendKeystrokes(m_boxWindow, QString::fromUtf8("/tmp/[x] ~%(é Ü).wav"),
                                   KeyMode::Literal));
    QTRY_COMPARE_WITH_TIMEOUT(m_box->text(), QString::fromUtf8("/tmp/[x] ~%(é Ü).wav"), 20000);
}

QTEST_MAIN(TestX11AnyContent)
#include "tst_x11anycontent.moc"
