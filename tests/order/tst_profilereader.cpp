// The profile-file reader: lookup rules, limits and the handling of odd files.

#include "platform/ProfileReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using orderapp::platform::FileProfileReader;

class TestProfileReader : public QObject
{
    Q_OBJECT
private slots:
    void lookup_data();
    void lookup();
    void missingFileGivesDefault();
    void folderInPlaceOfFile();
    void bufferLimits_data();
    void bufferLimits();
    void hugeFileIsReadInPart();

private:
    QString write(const QByteArray& content)
    {
        const QString path = dir.filePath(QStringLiteral("order.ini"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        f.write(content);
        return path;
    }
    QTemporaryDir dir;
};

void TestProfileReader::lookup_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // the default is "DEF"

    const QByteArray basic = "[AuthorInfo]\nAuthorName=Pat\n[ProgramInfo]\nProgram1Price=$5\n";
    QTest::newRow("plain value") << basic << "AuthorInfo"
                                 << "AuthorName"
                                 << "Pat";
    QTest::newRow("other section") << basic << "ProgramInfo"
                                   << "Program1Price"
                                   << "$5";
    QTest::newRow("section in other case") << basic << "authorinfo"
                                           << "AuthorName"
                                           << "Pat";
    QTest::newRow("key in other case") << basic << "AuthorInfo"
                                       << "AUTHORNAME"
                                       << "Pat";
    QTest::newRow("missing key") << basic << "AuthorInfo"
                                 << "AuthorEmail"
                                 << "DEF";
    QTest::newRow("missing section") << basic << "SerialNumbers"
                                     << "Serial1"
                                     << "DEF";
    QTest::newRow("key of another section") << basic << "AuthorInfo"
                                            << "Program1Price"
                                            << "DEF";
    QTest::newRow("empty value is not the default") << QByteArray("[A]\nAuthorEmail=\n") << "A"
                                                    << "AuthorEmail"
                                                    << "";
    QTest::newRow("blanks only value is empty") << QByteArray("[A]\nk=   \t \n") << "A"
                                                << "k"
                                                << "";
    QTest::newRow("blanks around value") << QByteArray("[A]\nk =   $29.95   \n") << "A"
                                         << "k"
                                         << "$29.95";
    QTest::newRow("tabs around value") << QByteArray("[A]\nk=\t9\t\n") << "A"
                                       << "k"
                                       << "9";
    QTest::newRow("inner blanks kept") << QByteArray("[A]\nk=a  b\n") << "A"
                                       << "k"
                                       << "a  b";
    QTest::newRow("double quotes removed") << QByteArray("[A]\nk=\"Sample Writer\"\n") << "A"
                                           << "k"
                                           << "Sample Writer";
    QTest::newRow("single quotes removed") << QByteArray("[A]\nk='x'\n") << "A"
                                           << "k"
                                           << "x";
    QTest::newRow("blanks inside quotes kept") << QByteArray("[A]\nk= \"  x y  \" \n") << "A"
                                               << "k"
                                               << "  x y  ";
    QTest::newRow("mismatched quotes kept") << QByteArray("[A]\nk=\"x'\n") << "A"
                                            << "k"
                                            << "\"x'";
    QTest::newRow("one quote kept") << QByteArray("[A]\nk=\"\n") << "A"
                                    << "k"
                                    << "\"";
    QTest::newRow("only one pair removed") << QByteArray("[A]\nk=\"\"x\"\"\n") << "A"
                                           << "k"
                                           << "\"x\"";
    QTest::newRow("empty quotes give empty") << QByteArray("[A]\nk=\"\"\n") << "A"
                                             << "k"
                                             << "";
    QTest::newRow("quote inside kept") << QByteArray("[A]\nk=O'Neil\n") << "A"
                                       << "k"
                                       << "O'Neil";
    QTest::newRow("first equals sign splits") << QByteArray("[A]\nk=a=b\n") << "A"
                                              << "k"
                                              << "a=b";
    QTest::newRow("blanks around key") << QByteArray("[A]\n  k  = v\n") << "A"
                                       << "k"
                                       << "v";
    QTest::newRow("blanks in section line") << QByteArray("  [ A ]  \nk=v\n") << "A"
                                            << "k"
                                            << "v";
    QTest::newRow("text after closing bracket ignored") << QByteArray("[A] trailing\nk=v\n") << "A"
                                                        << "k"
                                                        << "v";
    QTest::newRow("CRLF line ends") << QByteArray("[A]\r\nk=v\r\nm=w\r\n") << "A"
                                    << "m"
                                    << "w";
    QTest::newRow("CR line ends") << QByteArray("[A]\rk=v\rm=w\r") << "A"
                                  << "m"
                                  << "w";
    QTest::newRow("mixed line ends") << QByteArray("[A]\r\nk=v\rm=w\nn=x") << "A"
                                     << "n"
                                     << "x";
    QTest::newRow("no end on last line") << QByteArray("[A]\nk=v") << "A"
                                         << "k"
                                         << "v";
    QTest::newRow("UTF-8 byte-order mark") << QByteArray("\xEF\xBB\xBF[A]\nk=v\n") << "A"
                                           << "k"
                                           << "v";
    QTest::newRow("UTF-8 value") << QByteArray("[A]\nk=Jos\xC3\xA9\n") << "A"
                                 << "k" << QString::fromUtf8("Jos\xC3\xA9");
    QTest::newRow("Latin-1 file") << QByteArray("[A]\nk=Jos\xE9\n") << "A"
                                  << "k" << QString::fromUtf8("Jos\xC3\xA9");
    QTest::newRow("comment line") << QByteArray("[A]\n;k=no\nk=yes\n") << "A"
                                  << "k"
                                  << "yes";
    QTest::newRow("indented comment") << QByteArray("[A]\n  ; k=no\n") << "A"
                                      << "k"
                                      << "DEF";
    QTest::newRow("semicolon inside value kept") << QByteArray("[A]\nk=a ; b\n") << "A"
                                                 << "k"
                                                 << "a ; b";
    QTest::newRow("line without equals ignored") << QByteArray("[A]\njust words\nk=v\n") << "A"
                                                 << "k"
                                                 << "v";
    QTest::newRow("line without equals is no key") << QByteArray("[A]\nk\n") << "A"
                                                   << "k"
                                                   << "DEF";
    QTest::newRow("empty key ignored") << QByteArray("[A]\n=v\n") << "A"
                                       << ""
                                       << "DEF";
    QTest::newRow("key before any section ignored") << QByteArray("k=v\n[A]\n") << "A"
                                                    << "k"
                                                    << "DEF";
    QTest::newRow("broken section line opens none") << QByteArray("[A]\nk=v\n[B\nm=w\n") << "A"
                                                    << "m"
                                                    << "DEF";
    QTest::newRow("broken section line hides following keys") << QByteArray("[A]\n[B\nm=w\n") << "B"
                                                              << "m"
                                                              << "DEF";
    QTest::newRow("empty section name opens none") << QByteArray("[A]\n[]\nm=w\n") << "A"
                                                   << "m"
                                                   << "DEF";
    QTest::newRow("repeated key: first wins") << QByteArray("[A]\nk=1\nk=2\n") << "A"
                                              << "k"
                                              << "1";
    QTest::newRow("repeated key in other case: first wins") << QByteArray("[A]\nK=1\nk=2\n") << "A"
                                                            << "k"
                                                            << "1";
    QTest::newRow("repeated section: keys merged") << QByteArray("[A]\nk=1\n[B]\n[A]\nm=2\n") << "A"
                                                   << "m"
                                                   << "2";
    QTest::newRow("repeated section: first value wins") << QByteArray("[A]\nk=1\n[a]\nk=2\n") << "A"
                                                        << "k"
                                                        << "1";
    QTest::newRow("empty file") << QByteArray() << "A"
                                << "k"
                                << "DEF";
    QTest::newRow("binary junk") << QByteArray("\x00\x01\xff[\x00=\n", 7) << "A"
                                 << "k"
                                 << "DEF";
}

void TestProfileReader::lookup()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    FileProfileReader reader;
    QCOMPARE(reader.GetProfileString(section, key, QStringLiteral("DEF"), 50, write(file)),
             expected);
}

void TestProfileReader::missingFileGivesDefault()
{
    FileProfileReader reader;
    const QString path = dir.filePath(QStringLiteral("none/order.ini"));
    QCOMPARE(reader.GetProfileString("AuthorInfo", "AuthorName", "Author", 50, path),
             QStringLiteral("Author"));
    QCOMPARE(reader.GetProfileString("AuthorInfo", "AuthorPhone", QString(), 50, path), QString());
}

void TestProfileReader::folderInPlaceOfFile()
{
    QTemporaryDir other;
    QVERIFY(QDir(other.path()).mkdir(QStringLiteral("order.ini")));
    FileProfileReader reader;
    QCOMPARE(
        reader.GetProfileString("A", "k", "DEF", 50, other.filePath(QStringLiteral("order.ini"))),
        QStringLiteral("DEF"));
}

void TestProfileReader::bufferLimits_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<int>("kept");
    QTest::newRow("49 of 50 stays whole") << 49 << 50 << 49;
    QTest::newRow("50 of 50 loses one") << 50 << 50 << 49;
    QTest::newRow("60 of 50") << 60 << 50 << 49;
    QTest::newRow("199 of 200 stays whole") << 199 << 200 << 199;
    QTest::newRow("250 of 200") << 250 << 200 << 199;
    QTest::newRow("buffer of one keeps nothing") << 5 << 1 << 0;
}

void TestProfileReader::bufferLimits()
{
    QFETCH(int, length);
    QFETCH(int, bufferSize);
    QFETCH(int, kept);
    QByteArray value;
    for (int i = 0; i < length; ++i)
        value += char('a' + i % 26);
    // Quotes and blanks go before the cut: the limit counts the value itself.
    const QString path = write("[A]\nk=  \"" + value + "\"  \n");
    FileProfileReader reader;
    const QString got = reader.GetProfileString("A", "k", "DEF", bufferSize, path);
    QCOMPARE(got, QString::fromLatin1(value.left(kept)));
    // The default is cut the same way.
    QCOMPARE(reader.GetProfileString("A", "none", QString::fromLatin1(value), bufferSize, path),
             QString::fromLatin1(value.left(kept)));
}

void TestProfileReader::hugeFileIsReadInPart()
{
    // A file far larger than any order.ini: read up to the limit, quickly, without failing.
    QByteArray big = "[A]\nk=v\n";
    big += QByteArray(FileProfileReader::MaxFileSize + 1024, 'x');
    big += "\nlate=1\n";
    const QString path = write(big);
    FileProfileReader reader;
    QCOMPARE(reader.GetProfileString("A", "k", "DEF", 50, path), QStringLiteral("v"));
    QCOMPARE(reader.GetProfileString("A", "late", "DEF", 50, path), QStringLiteral("DEF"));
}

QTEST_GUILESS_MAIN(TestProfileReader)
#include "tst_profilereader.moc"
