// Card number scrambling and its hexadecimal rendering.

#include "Module1.h"

#include <QRegularExpression>
#include <QTest>

using namespace orderapp;

class TestScramble : public QObject
{
    Q_OBJECT
private slots:
    void vectors_data();
    void vectors();
    void twiceGivesOriginal_data();
    void twiceGivesOriginal();
    void evenDigitsStayEven();
    void keyRepeatsEverySixteen();
    void everyByteRendersAsTwoDigits();
    void singleByteText();
};

void TestScramble::vectors_data()
{
    // Worked out by hand from the key's codes: the mask of position i is twice the code of
    // key character ((i - 1) mod 16) + 1, i.e. D6 66 48 A4 EE 72 42 A8 F4 64 46 AA C4 6E 4C 9A.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hex");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("one zero") << "0"
                              << "E6";
    QTest::newRow("four digits") << "4111"
                                 << "E2577995";
    QTest::newRow("blank and dash") << " -"
                                    << "F64B";
    QTest::newRow("17 zeros") << "00000000000000000"
                              << "E6567894DE427298C454769AF45E7CAAE6";
    QTest::newRow("grouped with blanks") << "4111 1111 1111 1111"
                                         << "E2577995CE437399C544779BF55F6CABE75779";
    QTest::newRow("grouped with dashes") << "5500-0000-0000-0004"
                                         << "E3537894C3427298C449769AF45E61AAE6567C";
    QTest::newRow("codes above 127") << QString::fromUtf8("\xC3\xA9\xC3\xBF") << "3F99";
}

void TestScramble::vectors()
{
    QFETCH(QString, text);
    QFETCH(QString, hex);
    QString t = text;
    ScrambleText(t);
    QCOMPARE(t.size(), text.size());
    QCOMPARE(HexText(t), hex);
}

void TestScramble::twiceGivesOriginal_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("card") << "4111111111111111";
    QTest::newRow("long") << "5555 5555 5555 4444 and some more text after it";
    QTest::newRow("every byte") << [] {
        QString all;
        for (int c = 0; c < 256; ++c)
            all += QChar(c);
        return all;
    }();
}

void TestScramble::twiceGivesOriginal()
{
    QFETCH(QString, text);
    QString t = text;
    ScrambleText(t);
    QVERIFY(t != text);
    ScrambleText(t);
    QCOMPARE(t, text);
}

void TestScramble::evenDigitsStayEven()
{
    const QString evens = QStringLiteral("02468024680246802468");
    QString t = evens;
    ScrambleText(t);
    for (int i = 0; i < t.size(); ++i)
        QVERIFY((t[i].unicode() & 1) == 0);
    const QString hex = HexText(t);
    for (int i = 1; i < hex.size(); i += 2)
        QVERIFY(QStringLiteral("02468ACE").contains(hex[i]));
}

void TestScramble::keyRepeatsEverySixteen()
{
    QString t(17, QChar(0));
    ScrambleText(t); // code 0 shows the masks themselves
    QCOMPARE(t[0], t[16]);
    QCOMPARE(t[0].unicode(), 2 * 'k');
    for (int i = 1; i < 16; ++i)
        QVERIFY(t[i] != t[0]);
}

void TestScramble::everyByteRendersAsTwoDigits()
{
    QString all;
    for (int c = 0; c < 256; ++c)
        all += QChar(c);
    const QString hex = HexText(all);
    QCOMPARE(hex.size(), 512);
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]*$")).match(hex).hasMatch());
    QCOMPARE(hex.mid(2 * 5, 2), QStringLiteral("05"));
    QCOMPARE(hex.mid(2 * 178, 2), QStringLiteral("B2"));
}

void TestScramble::singleByteText()
{
    QVERIFY(IsSingleByteText(QStringLiteral("4111 1111-1111 1111")));
    QVERIFY(IsSingleByteText(QString::fromUtf8("\xC3\xA9\xC3\xBF")));
    QVERIFY(!IsSingleByteText(QString::fromUtf8("4111\xE2\x80\x93"))); // an en dash
    QVERIFY(!IsSingleByteText(QString::fromUtf8("\xF0\x9F\x98\x80"))); // outside the BMP
}

QTEST_GUILESS_MAIN(TestScramble)
#include "tst_scramble.moc"
