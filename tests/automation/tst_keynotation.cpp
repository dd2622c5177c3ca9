#include "Controls.h"
#include "KeyNotation.h"
#include "WindowSystem.h"

#include <QTest>
#include <QUrl>

using namespace automation;
using K = KeyStroke::Kind;

Q_DECLARE_METATYPE(std::vector<KeyStroke>)

namespace {

std::u32string u32(const char* utf8)
{
    return decodeUtf8(utf8);
}

KeyStroke ch(char32_t c)
{
    return {K::Character, c};
}

} // namespace

class TestKeyNotation : public QObject
{
    Q_OBJECT
private slots:
    void notation_data();
    void notation();
    void malformedSendsNothing_data();
    void malformedSendsNothing();
    void literalTypesEveryCharacterAsItself();
    void describeRoundTrips();
    void utf8Decoding();
    void queryPatterns();
    void typedFileAddressIsThePathWithFewKeys();
};

void TestKeyNotation::notation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<KeyStroke>>("keys");

    QTest::newRow("alt chord is the lower-case key")
        << "%F" << std::vector<KeyStroke>{{K::AltChord, U'f'}};
    QTest::newRow("alt with lower case") << "%c" << std::vector<KeyStroke>{{K::AltChord, U'c'}};
    QTest::newRow("alt digit") << "%1" << std::vector<KeyStroke>{{K::AltChord, U'1'}};
    QTest::newRow("tilde is enter") << "~" << std::vector<KeyStroke>{{K::Enter, 0}};
    QTest::newRow("tab") << "{TAB}" << std::vector<KeyStroke>{{K::Tab, 0}};
    QTest::newRow("break") << "{BREAK}" << std::vector<KeyStroke>{{K::Break, 0}};
    QTest::newRow("letter as itself") << "P" << std::vector<KeyStroke>{ch(U'P')};
    QTest::newRow("empty") << "" << std::vector<KeyStroke>{};
    QTest::newRow("mixed") << "%Fa~{TAB}b"
                           << std::vector<KeyStroke>{{K::AltChord, U'f'},
                                                     ch(U'a'),
                                                     {K::Enter, 0},
                                                     {K::Tab, 0},
                                                     ch(U'b')};
    QTest::newRow("other punctuation as itself")
        << "+^()[]}" << std::vector<KeyStroke>{ch(U'+'), ch(U'^'), ch(U'('), ch(U')'),
                                               ch(U'['), ch(U']'), ch(U'}')};
    QTest::newRow("escaped command characters")
        << "{~}{%}{{}{}}" << std::vector<KeyStroke>{ch(U'~'), ch(U'%'), ch(U'{'), ch(U'}')};
    // Chords with Ctrl and Shift: only in braces, so "+" and "^" keep their meaning.
    QTest::newRow("ctrl chord") << "{CTRL+L}"
                                << std::vector<KeyStroke>{{K::Chord, U'l', KeyStroke::Ctrl}};
    QTest::newRow("ctrl shift chord, either order, key in either case")
        << "{CTRL+SHIFT+A}{SHIFT+CTRL+a}{CTRL+ALT+1}"
        << std::vector<KeyStroke>{{K::Chord, U'a', KeyStroke::Ctrl | KeyStroke::Shift},
                                  {K::Chord, U'a', KeyStroke::Ctrl | KeyStroke::Shift},
                                  {K::Chord, U'1', KeyStroke::Ctrl | KeyStroke::Alt}};
    QTest::newRow("plus and caret outside braces stay characters")
        << "^L+A{CTRL+M}+"
        << std::vector<KeyStroke>{
               ch(U'^'), ch(U'L'), ch(U'+'), ch(U'A'), {K::Chord, U'm', KeyStroke::Ctrl}, ch(U'+')};
    QTest::newRow("non-ASCII as itself")
        << QString::fromUtf8("é Ü") << std::vector<KeyStroke>{ch(U'é'), ch(U' '), ch(U'Ü')};
}

void TestKeyNotation::notation()
{
    QFETCH(QString, text);
    QFETCH(std::vector<KeyStroke>, keys);
    const auto r = parseKeyNotation(u32(text.toUtf8().constData()));
    QVERIFY2(r.ok, r.error.c_str());
    QCOMPARE(r.keys, keys);
}

void TestKeyNotation::malformedSendsNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("percent at the end") << "abc%";
    QTest::newRow("percent alone") << "%";
    QTest::newRow("percent before tilde") << "%~";
    QTest::newRow("percent before brace") << "%{TAB}";
    QTest::newRow("double percent") << "%%";
    QTest::newRow("unclosed brace") << "ab{TAB";
    QTest::newRow("lone open brace") << "{";
    QTest::newRow("unknown name") << "%F{ESCAPE}";
    QTest::newRow("lower-case name") << "{tab}";
    QTest::newRow("empty name") << "{}";
    QTest::newRow("bad name after good keys") << "%FP~{TAB}{NOPE}";
    QTest::newRow("chord without a key") << "{CTRL+}";
    QTest::newRow("chord without a modifier") << "{+A}";
    QTest::newRow("modifier alone") << "{CTRL}";
    QTest::newRow("modifier twice") << "{CTRL+CTRL+A}";
    QTest::newRow("lower-case modifier") << "{ctrl+l}";
    QTest::newRow("chord with a named key") << "{CTRL+TAB}";
    QTest::newRow("chord with punctuation") << "{CTRL++}";
}

void TestKeyNotation::malformedSendsNothing()
{
    QFETCH(QString, text);
    const auto r = parseKeyNotation(u32(text.toUtf8().constData()));
    QVERIFY(!r.ok);
    QVERIFY(r.keys.empty()); // not even the well-formed start of the string
    QVERIFY(!r.error.empty());
}

void TestKeyNotation::literalTypesEveryCharacterAsItself()
{
    const char* path = "/tmp/a b/[12-06-98]03 45 12PM ~%+^(){}é Ü.wav";
    const auto text = u32(path);
    const auto keys = literalKeys(text);
    QCOMPARE(keys.size(), text.size());
    std::u32string typed;
    for (const auto& k : keys) {
        QCOMPARE(k.kind, K::Character);
        typed += k.ch;
    }
    QVERIFY(typed == text);
    QCOMPARE(encodeUtf8(typed), std::string(path));
}

void TestKeyNotation::describeRoundTrips()
{
    // What describeKeys writes parses back to the same keys, command characters included.
    const auto literal = literalKeys(u32("C:\\x\\[a]~%{}.wav"));
    const auto back = parseKeyNotation(u32(describeKeys(literal).c_str()));
    QVERIFY(back.ok);
    QCOMPARE(back.keys, literal);
    QCOMPARE(describeKeys(parseKeyNotation(U"%F~{TAB}{BREAK}x").keys),
             std::string("%F~{TAB}{BREAK}x"));
    QCOMPARE(describeKeys(parseKeyNotation(U"{SHIFT+CTRL+a}{ALT+CTRL+x}+^").keys),
             std::string("{CTRL+SHIFT+A}{CTRL+ALT+X}+^"));
}

void TestKeyNotation::utf8Decoding()
{
    QVERIFY(decodeUtf8("a\xC3\xA9") == U"aé");
    QVERIFY(decodeUtf8("\xF0\x9F\x8E\xA4") == U"\U0001F3A4");
    // Invalid bytes become U+FFFD, one each, and decoding goes on.
    QVERIFY(decodeUtf8("a\xFF"
                       "b") == U"a\uFFFDb");
    QVERIFY(decodeUtf8("\xC3") == U"\uFFFD");
    QVERIFY(decodeUtf8("\xE2\x82"
                       "x") == U"\uFFFDx");
    QVERIFY(decodeUtf8("\xC0\xAF") == U"\uFFFD");     // overlong
    QVERIFY(decodeUtf8("\xED\xA0\x80") == U"\uFFFD"); // surrogate
}

// The patterns of window and control queries: whole values, "*" for any run,
// "|" between alternatives (names that differ between releases).
void TestKeyNotation::queryPatterns()
{
    using automation::matchesPattern;
    QVERIFY(matchesPattern("", "anything"));
    QVERIFY(matchesPattern("Write: *", "Write: Hello - Thunderbird"));
    QVERIFY(!matchesPattern("Write: *", "Re: Write: x"));
    QVERIFY(matchesPattern("* - Compose message*", "a - b - Compose message [Edited]"));
    QVERIFY(matchesPattern("push button|button", "button"));
    QVERIFY(matchesPattern("push button|button", "push button"));
    QVERIFY(!matchesPattern("push button|button", "toggle button"));
    QVERIFY(!matchesPattern("push button|button", "push button|button "));
    QVERIFY(matchesPattern("Evolution|Org.gnome.Evolution", "Org.gnome.Evolution"));
    QVERIFY(!matchesPattern("Evolution|Org.gnome.Evolution", "org.gnome.Evolution"));
    QVERIFY(matchesPattern("thunderbird*|*Thunderbird", "Mozilla Thunderbird"));
    QVERIFY(!matchesPattern("a|b", ""));
}

// A chooser that takes keys only gets a file's address: it must name the
// very file (the mail suites' hard characters) and need no key that a Latin
// layout lacks or Caps Lock changes the meaning of.
void TestKeyNotation::typedFileAddressIsThePathWithFewKeys()
{
    const std::string path = "/tmp/Voice Files/say \"hi\" \\ 'it'\t%41+#?\n"
                             "\xe5\xa3\xb0 Stimme \xc3\xa4.ogg";
    const std::string typed = typedFileAddress(path);
    QCOMPARE(QUrl(QString::fromStdString(typed), QUrl::StrictMode).toLocalFile(),
             QString::fromStdString(path));
    QCOMPARE(QUrl(QString::fromStdString(typed).toUpper()).toLocalFile(),
             QString::fromStdString(path)); // Caps Lock on
    for (const char c : typed)
        QVERIFY2(std::string_view("file:/%0123456789abcdef").find(c) != std::string_view::npos,
                 typed.c_str());
}

QTEST_APPLESS_MAIN(TestKeyNotation)
#include "tst_keynotation.moc"
