#include "util/strutil.h"

#include <QTest>

using namespace kovalt;

class TestStrUtil : public QObject {
    Q_OBJECT
private slots:
    void fieldAt_data();
    void fieldAt();
    void posFrom_data();
    void posFrom();
    void replaceNoCase_data();
    void replaceNoCase();
    void leftRightChars_data();
    void leftRightChars();
    void padLeftWith_data();
    void padLeftWith();
    void upperLocale_keepsLengthAndUpperCasesCzech();
    void upperAscii_changesOnlyAtoZ();
};

void TestStrUtil::fieldAt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("delimiter");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    const QChar q = u'"';
    QTest::newRow("field 0 of a command") << "C:\\p\\a.exe\" /x" << q << 0 << "C:\\p\\a.exe";
    QTest::newRow("leading delimiter gives empty field 0") << "\"a\"b" << q << 0 << "";
    QTest::newRow("leading delimiter, field 1") << "\"a\"b" << q << 1 << "a";
    QTest::newRow("middle field") << "a\tb\tc\td" << QChar(u'\t') << 2 << "c";
    QTest::newRow("last field runs to the end") << "a\tb\tc d e" << QChar(u'\t') << 2 << "c d e";
    QTest::newRow("empty field between two delimiters") << "a\t\tc" << QChar(u'\t') << 1 << "";
    QTest::newRow("missing field") << "a\tb" << QChar(u'\t') << 2 << "";
    QTest::newRow("index just past a trailing delimiter") << "a\tb\t" << QChar(u'\t') << 2 << "";
    QTest::newRow("negative index") << "a\tb" << QChar(u'\t') << -1 << "";
    QTest::newRow("no delimiter, index 0 gives the text") << "abc" << q << 0 << "abc";
    QTest::newRow("no delimiter, index 1") << "abc" << q << 1 << "";
    QTest::newRow("empty text") << "" << q << 0 << "";
}

void TestStrUtil::fieldAt() {
    QFETCH(QString, text);
    QFETCH(QChar, delimiter);
    QFETCH(int, index);
    QFETCH(QString, expected);
    QCOMPARE(FieldAt(text, delimiter, index), expected);
}

void TestStrUtil::posFrom_data() {
    QTest::addColumn<QString>("sub");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");
    QTest::newRow("start 0 searches all") << "b"
                                          << "abcb" << 0 << 2;
    QTest::newRow("start 1 searches all") << "b"
                                          << "abcb" << 1 << 2;
    QTest::newRow("negative start searches all") << "a"
                                                 << "abc" << -5 << 1;
    QTest::newRow("start on the match") << "b"
                                        << "abcb" << 2 << 2;
    QTest::newRow("start after the first match") << "b"
                                                 << "abcb" << 3 << 4;
    QTest::newRow("start at the last character") << "b"
                                                 << "abcb" << 4 << 4;
    QTest::newRow("start past the end") << "b"
                                        << "abcb" << 5 << 0;
    QTest::newRow("empty sub") << ""
                               << "abc" << 0 << 0;
    QTest::newRow("empty text") << "a"
                                << "" << 0 << 0;
    QTest::newRow("exact case only") << "B"
                                     << "abc" << 0 << 0;
    QTest::newRow("sub longer than the rest") << "cbx"
                                              << "abcb" << 3 << 0;
    QTest::newRow("several characters") << "="
                                        << "IP=1=2" << 0 << 3;
}

void TestStrUtil::posFrom() {
    QFETCH(QString, sub);
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, expected);
    QCOMPARE(PosFrom(sub, text, start), expected);
}

void TestStrUtil::replaceNoCase_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("resumes after the inserted text") << "aAa"
                                                     << "a"
                                                     << "aa"
                                                     << "aaaaaa";
    QTest::newRow("replacement holding find does not loop") << "x{path}y"
                                                            << "{PATH}"
                                                            << "{path}{path}"
                                                            << "x{path}{path}y";
    QTest::newRow("keeps the case of text and replacement") << "Icon.ICO"
                                                            << ".ico"
                                                            << ".Bmp"
                                                            << "Icon.Bmp";
    QTest::newRow("every occurrence") << ";IP=1;;"
                                      << ";"
                                      << ""
                                      << "IP=1";
    QTest::newRow("empty find changes nothing") << "abc"
                                                << ""
                                                << "x"
                                                << "abc";
    QTest::newRow("empty replacement removes") << "aXbxc"
                                               << "x"
                                               << ""
                                               << "abc";
    QTest::newRow("Czech capital finds small") << "ŽLUŤOUČKÝ"
                                               << "č"
                                               << "c"
                                               << "ŽLUŤOUcKÝ";
    QTest::newRow("Czech small finds capital") << "čáp Čáp"
                                               << "ČÁP"
                                               << "x"
                                               << "x x";
    QTest::newRow("no occurrence") << "abc"
                                   << "d"
                                   << "x"
                                   << "abc";
    QTest::newRow("overlapping occurrences left to right") << "aaa"
                                                           << "aa"
                                                           << "b"
                                                           << "ba";
    QTest::newRow("sharp s does not match SS") << "Straße"
                                               << "SS"
                                               << "x"
                                               << "Straße";
    QTest::newRow("after a sharp s positions stay right") << "ßab"
                                                          << "A"
                                                          << "x"
                                                          << "ßxb";
}

void TestStrUtil::replaceNoCase() {
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(ReplaceNoCase(text, find, replacement), expected);
}

void TestStrUtil::leftRightChars_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::newRow("shorter than the text") << "abcd" << 2 << "ab"
                                           << "cd";
    QTest::newRow("n at the length") << "abcd" << 4 << "abcd"
                                     << "abcd";
    QTest::newRow("n past the length") << "abcd" << 9 << "abcd"
                                       << "abcd";
    QTest::newRow("n zero") << "abcd" << 0 << ""
                            << "";
    QTest::newRow("n negative") << "abcd" << -3 << ""
                                << "";
    QTest::newRow("empty text") << "" << 3 << ""
                                << "";
}

void TestStrUtil::leftRightChars() {
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QCOMPARE(LeftChars(text, n), left);
    QCOMPARE(RightChars(text, n), right);
}

void TestStrUtil::padLeftWith_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one digit gets a zero") << "7" << 2 << "07";
    QTest::newRow("two digits stay") << "12" << 2 << "12";
    QTest::newRow("longer stays") << "123" << 2 << "123";
    QTest::newRow("empty fills the width") << "" << 2 << "00";
    QTest::newRow("zero width") << "7" << 0 << "7";
    QTest::newRow("negative width") << "7" << -1 << "7";
}

void TestStrUtil::padLeftWith() {
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(PadLeftWith(text, u'0', width), expected);
}

void TestStrUtil::upperLocale_keepsLengthAndUpperCasesCzech() {
    QCOMPARE(UpperLocale(QStringLiteral("žluťoučký kůň (alfa)")), QStringLiteral("ŽLUŤOUČKÝ KŮŇ (ALFA)"));
    QCOMPARE(UpperLocale(QStringLiteral("straße")), QStringLiteral("STRAßE"));
    // A character outside the basic plane keeps its two code units.
    const QString deseret = QString::fromUcs4(U"\U00010428x");
    QCOMPARE(UpperLocale(deseret), QString::fromUcs4(U"\U00010400X"));
}

void TestStrUtil::upperAscii_changesOnlyAtoZ() {
    QCOMPARE(UpperAscii(QStringLiteral(";ip=čas{z}")), QStringLiteral(";IP=čAS{Z}"));
}

QTEST_APPLESS_MAIN(TestStrUtil)
#include "tst_strutil.moc"
