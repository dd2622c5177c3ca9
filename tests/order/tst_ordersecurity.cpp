// Secrets stay where they belong: the plain card number of an e-mail order reaches neither
// the clipboard (in any of its formats), nor the order text, nor the messages shown, nor
// anything the program logs or prints to its output; and the scrambling key shows in no
// window. Runs offscreen and on X11, where other programs read the clipboard back.

#include "OrderTestSupport.h"
#include "email.h"
#include "fax.h"
#include "mail.h"
#include "order.h"
#include "phone.h"
#include "web.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMetaProperty>
#include <QMimeData>
#include <QMutex>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

using namespace ordertest;

namespace {

Q_LOGGING_CATEGORY(lcTest, "tindrel.test")

// The ways a text can be written down as bytes.
QList<QByteArray> Encodings(const QString& text)
{
    const QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return {text.toUtf8(), text.toLatin1(), utf16};
}

// Every way the plain card number could show: as typed, without its blanks and dashes, and
// written in hexadecimal unscrambled.
QStringList Forms(const QString& card)
{
    QString bare = card;
    bare.remove(u' ').remove(u'-');
    return {card, bare, HexText(card)};
}

// The first form of the secret found in the bytes, or an empty text.
QString FindIn(const QByteArray& bytes, const QStringList& forms)
{
    for (const QString& form : forms)
        for (const QByteArray& encoded : Encodings(form))
            if (bytes.contains(encoded) ||
                QString::fromUtf8(bytes).contains(form, Qt::CaseInsensitive))
                return form;
    return QString();
}

// Everything Qt's message functions and the process's output carry while it is alive.
class OutputCapture
{
public:
    OutputCapture()
    {
        {
            const QMutexLocker lock(&s_lock);
            s_messages.clear();
        }
        s_previous = qInstallMessageHandler(&OutputCapture::handler);
        // Every logging category on, Qt's own debug output included.
        QLoggingCategory::setFilterRules(QStringLiteral("*=true"));
        QVERIFY(m_file.open());
        std::fflush(stdout);
        std::fflush(stderr);
        m_savedOut = ::dup(STDOUT_FILENO);
        m_savedErr = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDOUT_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~OutputCapture() { finish(); }
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Stops capturing; returns the messages and the output.
    QByteArray finish()
    {
        if (m_savedOut >= 0) {
            std::fflush(stdout);
            std::fflush(stderr);
            ::dup2(m_savedOut, STDOUT_FILENO);
            ::dup2(m_savedErr, STDERR_FILENO);
            ::close(m_savedOut);
            ::close(m_savedErr);
            m_savedOut = m_savedErr = -1;
            QLoggingCategory::setFilterRules(QString());
            qInstallMessageHandler(s_previous);
            m_file.seek(0);
            m_output = m_file.readAll();
        }
        const QMutexLocker lock(&s_lock);
        return s_messages.join('\n') + '\n' + m_output;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        {
            // Qt logs from its own threads too.
            const QMutexLocker lock(&s_lock);
            s_messages.append(text.toUtf8());
        }
        s_previous(type, context, text); // on to the real output, which is captured too
    }
    static inline QMutex s_lock;
    static inline QByteArrayList s_messages;
    static inline QtMessageHandler s_previous = nullptr;
    QTemporaryFile m_file;
    int m_savedOut = -1;
    int m_savedErr = -1;
    QByteArray m_output;
};

// On X11: each format the clipboard's owner offers, as another program receives it.
QList<QPair<QByteArray, QByteArray>> ClipboardOfOtherProgram()
{
    QList<QPair<QByteArray, QByteArray>> formats;
    const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    if (xclip.isEmpty()) {
        qWarning("xclip is not installed (scripts/apt-packages.txt)");
        return formats;
    }
    auto read = [&](const QString& target) {
        // The owner is this process: keep its event loop running while the other asks.
        QProcess p;
        QSignalSpy finished(&p, &QProcess::finished);
        p.start(xclip, {QStringLiteral("-o"), QStringLiteral("-selection"),
                        QStringLiteral("clipboard"), QStringLiteral("-t"), target});
        if (!finished.wait(30000)) {
            p.kill();
            p.waitForFinished();
            return QByteArray();
        }
        return p.readAllStandardOutput();
    };
    const QList<QByteArray> targets = read(QStringLiteral("TARGETS")).split('\n');
    for (const QByteArray& t : targets) {
        const QByteArray target = t.trimmed();
        // Requests about the selection itself rather than its content.
        if (target.isEmpty() || target == "TARGETS" || target == "MULTIPLE" ||
            target == "TIMESTAMP" || target == "SAVE_TARGETS" || target == "DELETE")
            continue;
        formats.append({target, read(QString::fromLatin1(target))});
    }
    return formats;
}

void FillForm(OrderForm* f, const QString& card)
{
    f->nameBox->setText(QStringLiteral("Alex Sample"));
    f->street1Box->setText(QStringLiteral("42 Fictional Road"));
    f->cityBox->setText(QStringLiteral("Sampleton"));
    f->stateBox->setText(QStringLiteral("WI"));
    f->zipBox->setText(QStringLiteral("53799"));
    f->phoneBox->setText(QStringLiteral("(555) 555-0199"));
    f->emailBox->setText(QStringLiteral("alex@example.com"));
    f->quantityBoxes[0]->setText(QStringLiteral("1"));
    f->cardBox->setText(card);
    f->expiryBox->setText(QStringLiteral("12/29"));
}

// The scrambling key: scrambling a text of zero codes gives the masks, twice the key's codes.
QString ScramblingKey()
{
    QString masks(16, QChar(0));
    ScrambleText(masks);
    QString key;
    for (QChar m : masks)
        key += QChar(char16_t(m.unicode() / 2));
    return key;
}

// Every text a widget holds: its text properties, its dynamic ones, and list items.
QStringList TextsOf(const QWidget* w)
{
    QStringList texts;
    const QMetaObject* meta = w->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        const QVariant v = p.read(w);
        if (v.metaType() == QMetaType::fromType<QString>())
            texts.append(v.toString());
        else if (v.metaType() == QMetaType::fromType<QStringList>())
            texts.append(v.toStringList());
    }
    for (const QByteArray& name : w->dynamicPropertyNames())
        if (w->property(name).canConvert<QString>())
            texts.append(w->property(name).toString());
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
    return texts;
}

} // namespace

class TestOrderSecurity : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture = Fixture::withChooserShown(); }
    void cleanup() { fixture.reset(); }

    void captureWorks();
    void cardNumberStaysInTheWindow_data();
    void cardNumberStaysInTheWindow();
    void keyInNoWindow();

private:
    std::unique_ptr<Fixture> fixture;
};

// The capture sees what Qt's message functions and plain writes to the output carry, so
// that finding nothing below means something.
void TestOrderSecurity::captureWorks()
{
    OutputCapture capture;
    qWarning("marker-one");
    qCDebug(lcTest) << "marker-two";
    std::fprintf(stderr, "marker-three\n");
    std::printf("marker-four\n");
    const QByteArray all = capture.finish();
    for (const char* marker : {"marker-one", "marker-two", "marker-three", "marker-four"})
        QVERIFY2(all.contains(marker), marker);
}

void TestOrderSecurity::cardNumberStaysInTheWindow_data()
{
    QTest::addColumn<QString>("card");
    QTest::newRow("with blanks") << QStringLiteral("4111 1111 1111 1111");
    QTest::newRow("digits only") << QStringLiteral("5500000000000004");
    QTest::newRow("with dashes") << QStringLiteral("4000-0000-0000-0002");
    QTest::newRow("letters") << QStringLiteral("5abcdefghijklmno");
    QTest::newRow("accented") << QString::fromUtf8("4\xC3\xA9\xC3\xA8\xC3\xA0 1111 2222 3333");
}

void TestOrderSecurity::cardNumberStaysInTheWindow()
{
    QFETCH(QString, card);
    const QStringList forms = Forms(card);
    QGuiApplication::clipboard()->clear();
    email* e = Show<email>();
    FillForm(e, card);

    QByteArray logged;
    {
        OutputCapture capture;
        QTest::mouseClick(e->Command3, Qt::LeftButton);
        QCoreApplication::processEvents();
        logged = capture.finish();
    }
    QCOMPARE(fixture->messages.shown.size(), 1);
    QCOMPARE(fixture->messages.shown.front().style, MessageStyle::Information);

    // The order text holds the card number scrambled, and only so.
    QString scrambled = card;
    ScrambleText(scrambled);
    const QString orderText = e->Text13->text();
    QVERIFY(orderText.contains(QStringLiteral("\r\nCC Number: ") + HexText(scrambled) +
                               QStringLiteral("\r\n")));
    QCOMPARE(FindIn(orderText.toUtf8(), forms), QString());

    // Every format the clipboard holds.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    QVERIFY(data);
    QCOMPARE(data->text(), orderText);
    for (const QString& format : data->formats())
        QVERIFY2(FindIn(data->data(format), forms).isEmpty(), qPrintable(format));
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        const auto offered = ClipboardOfOtherProgram();
        QVERIFY(!offered.isEmpty());
        bool textSeen = false;
        for (const auto& [target, bytes] : offered) {
            QVERIFY2(FindIn(bytes, forms).isEmpty(), target.constData());
            textSeen = textSeen || bytes.contains("CC Number: ");
        }
        QVERIFY(textSeen);
    }

    // The messages shown, and what was logged or written out meanwhile.
    for (const ShownMessage& m : fixture->messages.shown)
        QCOMPARE(FindIn((m.text + m.title).toUtf8(), forms), QString());
    const QString inLog = FindIn(logged, forms);
    QVERIFY2(inLog.isEmpty(), qPrintable(QStringLiteral("logged or written out: ") + inLog));

    // The window keeps the number as typed.
    QCOMPARE(e->Text7->text(), card);
}

void TestOrderSecurity::keyInNoWindow()
{
    const QString key = ScramblingKey();
    QCOMPARE(key.size(), 16);
    for (QChar c : key)
        QVERIFY(c.unicode() > 32 && c.unicode() < 127);
    const QStringList forms{key, HexText(key)};

    // Every window open, the order forms filled in, an e-mail order copied.
    order* o = Existing<order>();
    for (QRadioButton* option : {o->Option1, o->Option3, o->Option4, o->Option5, o->Option6}) {
        option->setChecked(true);
        QTest::mouseClick(o->btnNext, Qt::LeftButton);
    }
    QCOMPARE(Fixture::visibleWindows(), 6);
    for (OrderForm* f : QList<OrderForm*>{Existing<email>(), Existing<fax>(), Existing<mail>()})
        FillForm(f, QStringLiteral("4111 1111 1111 1111"));
    QTest::mouseClick(Existing<email>()->Command3, Qt::LeftButton);
    QVERIFY(!Existing<email>()->Text13->text().isEmpty());

    const QList<QWidget*> windows{o,
                                  Existing<phone>(),
                                  Existing<web>(),
                                  Existing<email>(),
                                  Existing<fax>(),
                                  Existing<mail>()};
    int walked = 0;
    for (QWidget* window : windows) {
        QVERIFY(window);
        QList<QWidget*> all = window->findChildren<QWidget*>();
        all.prepend(window);
        for (const QWidget* w : all) {
            ++walked;
            for (const QString& text : TextsOf(w))
                for (const QString& form : forms)
                    QVERIFY2(!text.contains(form, Qt::CaseInsensitive),
                             qPrintable(window->objectName() + u'/' + w->objectName()));
        }
    }
    QVERIFY(walked > 100);
    QCOMPARE(FindIn(QGuiApplication::clipboard()->text().toUtf8(), forms), QString());
}

QTEST_MAIN(TestOrderSecurity)
#include "tst_ordersecurity.moc"
