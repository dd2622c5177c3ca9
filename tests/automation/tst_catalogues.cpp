// Names in another program's language: which languages a process shows its
// messages in, a message read from a real catalogue of the system, and the
// patterns a message's label is matched with in English and translated.

#include "Controls.h"
#include "atspi/Catalogues.h"

#include <QFile>
#include <QTest>

using namespace automation;
using automation::atspi::languagesIn;

using Languages = std::vector<std::string>;

class TestCatalogues : public QObject
{
    Q_OBJECT
private slots:
    void languagesAsGettextPicksThem();
    void messageFromARealCatalogue();
    void labelsInEnglishAndTranslated();
};

void TestCatalogues::languagesAsGettextPicksThem()
{
    QCOMPARE(languagesIn({"LANG=de_DE.UTF-8"}), (Languages{"de_DE", "de"}));
    QCOMPARE(languagesIn({"LANG=de_DE.UTF-8", "LC_MESSAGES=ru_RU.UTF-8"}),
             (Languages{"ru_RU", "ru"}));
    QCOMPARE(languagesIn({"LC_MESSAGES=ru_RU.UTF-8", "LC_ALL=ja_JP.UTF-8"}),
             (Languages{"ja_JP", "ja"}));
    // LANGUAGE's list wins over the locale, variants kept.
    QCOMPARE(languagesIn({"LANG=ru_RU.UTF-8", "LANGUAGE=sr_RS@latin:de"}),
             (Languages{"sr_RS@latin", "sr_RS", "sr@latin", "sr", "de"}));
    // The C locale shows messages untranslated, whatever LANGUAGE says.
    QCOMPARE(languagesIn({"LANG=C.UTF-8", "LANGUAGE=de"}), Languages{});
    QCOMPARE(languagesIn({"LANGUAGE=de"}), Languages{});
    QCOMPARE(languagesIn({"LC_ALL=POSIX", "LANG=de_DE.UTF-8"}), Languages{});
}

void TestCatalogues::messageFromARealCatalogue()
{
    // Installed with every GTK 3 program (Debian package libgtk-3-common).
    QVERIFY2(QFile::exists("/usr/share/locale/de/LC_MESSAGES/gtk30.mo"),
             "GTK 3's German catalogue is not installed");
    // A language without the catalogue gives way to the next.
    QCOMPARE(atspi::translation("gtk30", "_Open", {"xx_YY", "de"}), std::string("Ö_ffnen"));
    QCOMPARE(atspi::translation("gtk30", "no such message here", {"de"}), std::string());
    QCOMPARE(atspi::translation("no-such-domain", "_Open", {"de"}), std::string());
    QCOMPARE(atspi::translation("gtk30", "_Open", {}), std::string());
}

void TestCatalogues::labelsInEnglishAndTranslated()
{
    const Translate german = [](const std::string& domain, const std::string& m) -> std::string {
        if (domain == "claws-mail" && m == "%s - Compose message%s")
            return "%s - Nachricht verfassen%s";
        if (domain == "evolution" && m == "_Attachment…")
            return "_Anlage …";
        if (domain == "gtk40" && m == "_Open")
            return "Ö_ffnen";
        return {};
    };
    const auto matches = [&](const std::string& name, const std::string& domain,
                             const std::string& shown) {
        return matchesPattern(namePattern(name, domain, german), shown);
    };
    // A title with the subject in it, in either language.
    QVERIFY(matches("%s - Compose message%s", "claws-mail", "Hallo - Nachricht verfassen"));
    QVERIFY(matches("%s - Compose message%s", "claws-mail", "a - b - Compose message [Edited]"));
    QVERIFY(!matches("%s - Compose message%s", "claws-mail", "Nachricht verfassen"));
    // The label exactly, not another that begins with it.
    QVERIFY(matches("_Attachment…", "evolution", "Anlage …"));
    QVERIFY(matches("_Attachment…", "evolution", "Attachment…"));
    QVERIFY(!matches("_Attachment…", "evolution", "Anlagen"));
    // GTK 4's button name: the label with its mnemonic, then the label.
    QVERIFY(matches("_Open", "gtk30|gtk40", "Ö_ffnen Öffnen"));
    QVERIFY(matches("_Open", "gtk30|gtk40", "Öffnen"));
    QVERIFY(matches("_Open", "gtk30|gtk40", "_Open Open"));
    QVERIFY(!matches("_Open", "gtk30|gtk40", "Open Recent"));
    // Not a message: a pattern as it stands; "_" and "%" are the text's own.
    QVERIFY(matches("File_*", "", "File_1"));
    QVERIFY(!matches("File_*", "", "File1"));
    QVERIFY(matches("100%% _sure", "x", "100% sure"));
}

QTEST_GUILESS_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
