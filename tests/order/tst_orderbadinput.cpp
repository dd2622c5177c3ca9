// The chooser started with an order.ini that is damaged, huge, odd or out of reach: it
// starts within a second, shows the defaults for whatever it cannot read, and every screen
// opens from it afterwards.

#include "OrderTestSupport.h"
#include "order.h"
#include "phone.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScreen>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace ordertest;

namespace {

// The values the load step leaves in OrderSettings, in the order of the file's table, the
// comment last.
QStringList Loaded(const QString& comment)
{
    const OrderSettingsData& s = OrderSettings;
    return {s.AuthorName,    s.AuthorEmail,  s.AuthorPhone,   s.Program1ID,   s.Program1Name,
            s.Program1Price, s.Program2Name, s.Program2Price, s.Program3Name, s.Program3Price,
            s.Serial1,       s.Serial2,      s.Serial3,       comment};
}

QStringList Defaults()
{
    QStringList v(14);
    v[0] = v[1] = QStringLiteral("Author");
    return v;
}

QStringList Full()
{
    return {"Pat Example",    "pat@example.org",
            "(555) 555-0123", "17",
            "Sample Writer",  "$29.95",
            "Spell Pack",     "$9.95",
            "Printed Manual", "$14.50",
            "SW-1001",        "SP-2002",
            "SM-3003",        "Free updates for a year."};
}

// How the test lays out order.ini.
enum class Make {
    Bytes,      // the bytes given
    Random50MB, // 50 MB from a seeded generator
    Folder,     // a folder of that name
    Unreadable, // the full sample, which the program may not read
};

// Time limits are for a normal build; sanitizer builds run several times slower and say so
// through TINDREL_TIME_FACTOR.
double TimeFactor()
{
    bool ok = false;
    const double f = qEnvironmentVariable("TINDREL_TIME_FACTOR").toDouble(&ok);
    return ok && f >= 1.0 ? f : 1.0;
}

// While alive, this thread does without the capabilities that let the superuser read any
// file regardless of its permissions, so that a file without read permission is really out
// of reach. The thread keeps them in its permitted set and gets them back at the end.
class WithoutReadOverride
{
public:
    WithoutReadOverride()
    {
        if (::geteuid() != 0) {
            m_ok = true; // permissions apply as they are
            return;
        }
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0; // this thread
        if (::syscall(SYS_capget, &m_header, m_saved) != 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, m_saved, sizeof reduced);
        const unsigned drop = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        reduced[0].effective &= ~drop;
        if (::syscall(SYS_capset, &m_header, reduced) != 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        m_ok = m_dropped = true;
    }
    ~WithoutReadOverride()
    {
        if (m_dropped && ::syscall(SYS_capset, &m_header, m_saved) != 0)
            qFatal("cannot restore the capabilities: %s", std::strerror(errno));
    }
    WithoutReadOverride(const WithoutReadOverride&) = delete;
    WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;

    bool ok() const { return m_ok; }
    QString error() const { return m_error; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_ok = false;
    bool m_dropped = false;
    QString m_error;
};

} // namespace

Q_DECLARE_METATYPE(Make)

class TestOrderBadInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { fixture = std::make_unique<Fixture>(); }
    void cleanup() { fixture.reset(); }

    void startsWithAnyFile_data();
    void startsWithAnyFile();

private:
    std::unique_ptr<Fixture> fixture;
};

// The first window of a process also loads fonts, pictures and the platform's pieces; the
// cases measure what the file costs, so that happens once here.
void TestOrderBadInput::initTestCase()
{
    Fixture warmUp;
    warmUp.writeIni(FullIni());
    QVERIFY(QTest::qWaitForWindowExposed(Show<order>()));
}

void TestOrderBadInput::startsWithAnyFile_data()
{
    QTest::addColumn<Make>("make");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");

    const QByteArray full = FullIni();
    QTest::newRow("50 MB of random bytes") << Make::Random50MB << QByteArray() << Defaults();

    QTest::newRow("only NUL bytes") << Make::Bytes << QByteArray(64 * 1024, '\0') << Defaults();
    // A NUL (written | here) is an ordinary character: it spoils the name or line it is in and
    // nothing else.
    QStringList nulExpected = Defaults();
    nulExpected[1] = QStringLiteral("pat@example.org");
    nulExpected[10] = QStringLiteral("SW-1001");
    QTest::newRow("NUL bytes in names and lines")
        << Make::Bytes
        << QByteArray("[AuthorInfo]\nAuthor|Name=Hidden\nAuthorEmail=pat@example.org\n"
                      "||||\n|[ProgramInfo]\nProgram1Name=Hidden\n[Serial|Numbers]\n"
                      "Serial2=Hidden\n[SerialNumbers]\nSerial1=SW-1001\n")
               .replace('|', '\0')
        << nulExpected;

    QTest::newRow("no line end") << Make::Bytes << QByteArray(full).replace("\r\n", " ")
                                 << Defaults();
    QTest::newRow("no line end, 2 MB")
        << Make::Bytes << QByteArray(2 * 1024 * 1024, 'x') << Defaults();
    QTest::newRow("only CR line ends")
        << Make::Bytes << QByteArray(full).replace("\r\n", "\r") << Full();

    // One line of 1 MB: the value is cut to its buffer, the lines around it are read.
    QByteArray words;
    while (words.size() < 1024 * 1024)
        words += "order now ";
    QStringList longComment = Full();
    longComment[13] = QString::fromLatin1(words.left(199));
    QTest::newRow("1 MB comment line")
        << Make::Bytes
        << QByteArray(full).replace("Comments=Free updates for a year.", "Comments=" + words)
        << longComment;
    QStringList longName = Full();
    longName[0] = QString(49, u'n');
    QTest::newRow("1 MB name line")
        << Make::Bytes
        << QByteArray(full).replace("AuthorName=Pat Example",
                                    "AuthorName=" + QByteArray(1024 * 1024, 'n'))
        << longName;
    QTest::newRow("1 MB line without equals sign before the file")
        << Make::Bytes << QByteArray(1024 * 1024, '[') + "\n" + full << Full();

    QTest::newRow("a folder") << Make::Folder << QByteArray() << Defaults();
    QTest::newRow("no read permission") << Make::Unreadable << full << Defaults();
}

void TestOrderBadInput::startsWithAnyFile()
{
    QFETCH(Make, make);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);

    const QString path = fixture->folder.filePath(QStringLiteral("order.ini"));
    switch (make) {
    case Make::Bytes:
        fixture->writeIni(content);
        break;
    case Make::Random50MB: {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QRandomGenerator random(20240611);
        QList<quint32> chunk(256 * 1024); // 1 MB
        for (int i = 0; i < 50; ++i) {
            random.fillRange(chunk.data(), chunk.size());
            const auto bytes = qsizetype(chunk.size() * sizeof(quint32));
            QCOMPARE(f.write(reinterpret_cast<const char*>(chunk.constData()), bytes), bytes);
        }
        QCOMPARE(f.size(), qint64(50) * 1024 * 1024);
        break;
    }
    case Make::Folder:
        QVERIFY(QDir(fixture->folder.path()).mkdir(QStringLiteral("order.ini")));
        break;
    case Make::Unreadable:
        fixture->writeIni(content);
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        break;
    }

    std::optional<WithoutReadOverride> noOverride;
    if (make == Make::Unreadable) {
        noOverride.emplace();
        if (!noOverride->ok())
            QSKIP(qPrintable(QStringLiteral("running as the superuser, who reads any file, and "
                                            "this process may not give that up (%1)")
                                 .arg(noOverride->error())));
        QFile probe(path);
        QVERIFY2(!probe.open(QIODevice::ReadOnly), "the file is still readable");
    }

    QElapsedTimer clock;
    clock.start();
    order* o = Show<order>();
    QVERIFY(QTest::qWaitForWindowExposed(o));
    const qint64 elapsed = clock.elapsed();
    noOverride.reset();

    const qint64 limit = qint64(1000 * TimeFactor());
    QVERIFY2(elapsed < limit, qPrintable(QStringLiteral("the chooser took %1 ms to start (limit "
                                                        "%2 ms)")
                                             .arg(elapsed)
                                             .arg(limit)));
    QCOMPARE(Loaded(Caption(o->Label4)), expected);
    QVERIFY(o->isVisible());
    QVERIFY(fixture->messages.shown.isEmpty());
    // The chooser fits the screen, however long the comment.
    QVERIFY(o->screen()->availableGeometry().contains(o->frameGeometry()));

    // The phone screen shows what was read, or the defaults.
    o->Option1->setChecked(true);
    QTest::mouseClick(o->btnNext, Qt::LeftButton);
    phone* p = Existing<phone>();
    QVERIFY(p);
    QVERIFY(Caption(p->Label1).contains(QStringLiteral(" DIRECTLY at: ") + expected[0] +
                                        QStringLiteral(" at ") + expected[1] + u' ' + expected[2] +
                                        u'\r'));
    QCOMPARE(Caption(p->Label2), expected[4]);
    QCOMPARE(p->Text6->text(), expected[10]);

    // Every other way to order opens too.
    for (QRadioButton* option : {o->Option3, o->Option4, o->Option5, o->Option6}) {
        option->setChecked(true);
        QTest::mouseClick(o->btnNext, Qt::LeftButton);
    }
    QCOMPARE(Fixture::visibleWindows(), 6);
    QVERIFY(fixture->messages.shown.isEmpty());
}

QTEST_MAIN(TestOrderBadInput)
#include "tst_orderbadinput.moc"
