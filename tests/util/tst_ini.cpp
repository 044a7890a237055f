#include "util/ini.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace kovalt;

namespace {
QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot prepare %s", qPrintable(path));
}

// Copies a sample file into dir and gives its path there.
QString CopySample(const QTemporaryDir& dir, const QString& name) {
    const QString source = qEnvironmentVariable("KOVALT_TEST_DATA") + QStringLiteral("/util/") + name;
    const QString target = dir.filePath(name);
    if (!QFile::copy(source, target)) qFatal("cannot copy %s", qPrintable(source));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}
} // namespace

class TestIni : public QObject {
    Q_OBJECT
private slots:
    void readString_data();
    void readString();
    void readInt_data();
    void readInt();
    void readBool_data();
    void readBool();
    void writeKey_data();
    void writeKey();
    void fileRead_readsSampleInEveryEncoding_data();
    void fileRead_readsSampleInEveryEncoding();
    void fileRead_missingFileGivesDefaults();
    void fileRead_seesChangesBetweenCalls();
    void fileWriteKey_keepsEveryOtherByte_data();
    void fileWriteKey_keepsEveryOtherByte();
    void fileWriteKey_newFileIsAnsiWithSectionFirst();
};

void TestIni::readString_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString longValue(3000, u'x');
    QTest::newRow("section and key ignore case") << QStringList{"[logon]", "ip=1.2.3.4"} << "LogON"
                                                 << "IP"
                                                 << "1.2.3.4";
    QTest::newRow("accented section name ignores case") << QStringList{"[Jiné]", "k=1"} << "JINÉ"
                                                        << "k"
                                                        << "1";
    QTest::newRow("first match in file order") << QStringList{"[S]", "k=1", "K=2"} << "S"
                                               << "k"
                                               << "1";
    QTest::newRow("commented line never matches") << QStringList{"[S]", ";k=1", "k=2"} << "S"
                                                  << "k"
                                                  << "2";
    QTest::newRow("only commented lines give the default") << QStringList{"[S]", ";k=1", " ; k=1"} << "S"
                                                           << "k"
                                                           << "DEF";
    QTest::newRow("blanks around key and value") << QStringList{"[S]", "  k \t=  v w \t"} << "S"
                                                 << "k"
                                                 << "v w";
    QTest::newRow("value runs from the first =") << QStringList{"[S]", "k=a=b"} << "S"
                                                 << "k"
                                                 << "a=b";
    QTest::newRow("double quotes removed, inner blanks kept") << QStringList{"[S]", "k=\"  x \""} << "S"
                                                              << "k"
                                                              << "  x ";
    QTest::newRow("single quotes removed") << QStringList{"[S]", "k='x'"} << "S"
                                           << "k"
                                           << "x";
    QTest::newRow("only one pair of quotes removed") << QStringList{"[S]", "k=\"\"x\"\""} << "S"
                                                     << "k"
                                                     << "\"x\"";
    QTest::newRow("mismatched quotes stay") << QStringList{"[S]", "k=\"x'"} << "S"
                                            << "k"
                                            << "\"x'";
    QTest::newRow("a lone quote stays") << QStringList{"[S]", "k=\""} << "S"
                                        << "k"
                                        << "\"";
    QTest::newRow("quotes not around the whole value stay") << QStringList{"[S]", "k=a\"b\""} << "S"
                                                            << "k"
                                                            << "a\"b\"";
    QTest::newRow("empty value is empty, not the default") << QStringList{"[S]", "k="} << "S"
                                                           << "k"
                                                           << "";
    QTest::newRow("blank value is empty") << QStringList{"[S]", "k=   "} << "S"
                                          << "k"
                                          << "";
    QTest::newRow("empty quoted value is empty") << QStringList{"[S]", "k=\"\""} << "S"
                                                 << "k"
                                                 << "";
    QTest::newRow("absent key gives the default") << QStringList{"[S]", "other=1"} << "S"
                                                  << "k"
                                                  << "DEF";
    QTest::newRow("key of another section") << QStringList{"[A]", "k=1", "[S]", "x=2"} << "S"
                                            << "k"
                                            << "DEF";
    QTest::newRow("section ends at the next section line") << QStringList{"[S]", "x=1", "[T]", "k=2"} << "S"
                                                           << "k"
                                                           << "DEF";
    QTest::newRow("missing section") << QStringList{"[A]", "k=1"} << "S"
                                     << "k"
                                     << "DEF";
    QTest::newRow("key before any section") << QStringList{"k=1", "[S]"} << "S"
                                            << "k"
                                            << "DEF";
    QTest::newRow("section line with a blank after it") << QStringList{"[LogON] ", "IP=1"} << "LogOn"
                                                        << "IP"
                                                        << "1";
    QTest::newRow("indented section line") << QStringList{"  [S]", "k=1"} << "S"
                                           << "k"
                                           << "1";
    QTest::newRow("text after the closing bracket") << QStringList{"[S] ; note", "k=1"} << "S"
                                                    << "k"
                                                    << "1";
    QTest::newRow("line without = is no key") << QStringList{"[S]", "k", "k=2"} << "S"
                                              << "k"
                                              << "2";
    QTest::newRow("key with brackets in its name") << QStringList{"[S]", "NormPos(1920x1080)=1,2,3,4"} << "S"
                                                   << "normpos(1920X1080)"
                                                   << "1,2,3,4";
    QTest::newRow("value cut to 2047 characters") << QStringList{"[S]", "k=" + longValue} << "S"
                                                  << "k" << longValue.left(2047);
    QTest::newRow("quotes removed before the cut") << QStringList{"[S]", "k=\"" + QString(2047, u'y') + "\""} << "S"
                                                   << "k" << QString(2047, u'y');
    QTest::newRow("empty file") << QStringList{} << "S"
                                << "k"
                                << "DEF";
}

void TestIni::readString() {
    QFETCH(QStringList, lines);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(IniReadString(lines, section, key, QStringLiteral("DEF")), expected);
    QCOMPARE(IniHasKey(lines, section, key), expected != QStringLiteral("DEF"));
}

void TestIni::readInt_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("expected");
    const auto value = [](const QString& v) { return QStringList{"[LogON]", "SQLport=" + v}; };
    QTest::newRow("decimal") << value("3307") << 3307;
    QTest::newRow("leading zeros are decimal") << value("010") << 10;
    QTest::newRow("negative") << value("-12") << -12;
    QTest::newRow("plus sign") << value("+5") << 5;
    QTest::newRow("smallest integer") << value("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("beyond 32 bits gives the default") << value("2147483648") << 3306;
    QTest::newRow("hexadecimal") << value("0x0CEB") << 3307;
    QTest::newRow("hexadecimal with capital X") << value("0X1f") << 31;
    QTest::newRow("hexadecimal filling 32 bits") << value("0xFFFFFFFF") << -1;
    QTest::newRow("hexadecimal beyond 32 bits") << value("0x100000000") << 3306;
    QTest::newRow("0x alone gives the default") << value("0x") << 3306;
    QTest::newRow("hexadecimal with a bad digit") << value("0x1G") << 3306;
    QTest::newRow("non-numeric") << value("abc") << 3306;
    QTest::newRow("digits then letters") << value("12ab") << 3306;
    QTest::newRow("blank inside") << value("1 2") << 3306;
    QTest::newRow("blanks around are trimmed") << value("  7 ") << 7;
    QTest::newRow("quoted number") << value("\"42\"") << 42;
    QTest::newRow("empty value gives the default") << value("") << 3306;
    QTest::newRow("a sign alone") << value("-") << 3306;
    QTest::newRow("absent key") << QStringList{"[LogON]", ";SQLport=1"} << 3306;
}

void TestIni::readInt() {
    QFETCH(QStringList, lines);
    QFETCH(int, expected);
    QCOMPARE(IniReadInt(lines, QStringLiteral("LogON"), QStringLiteral("SQLport"), 3306), expected);
}

void TestIni::readBool_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("def");
    QTest::addColumn<bool>("expected");
    const auto value = [](const QString& v) { return QStringList{"[LogOn]", "FTPpassive=" + v}; };
    QTest::newRow("1 is true") << value("1") << false << true;
    QTest::newRow("0 is false") << value("0") << true << false;
    QTest::newRow("any nonzero is true") << value("5") << false << true;
    QTest::newRow("negative is true") << value("-1") << false << true;
    QTest::newRow("hexadecimal zero is false") << value("0x0") << true << false;
    QTest::newRow("the word True leaves the default false") << value("True") << false << false;
    QTest::newRow("the word False leaves the default true") << value("False") << true << true;
    QTest::newRow("empty value leaves the default") << value("") << true << true;
    QTest::newRow("absent key gives the default") << QStringList{"[LogOn]"} << true << true;
}

void TestIni::readBool() {
    QFETCH(QStringList, lines);
    QFETCH(bool, def);
    QFETCH(bool, expected);
    QCOMPARE(IniReadBool(lines, QStringLiteral("LOGON"), QStringLiteral("ftppassive"), def), expected);
}

void TestIni::writeKey_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("replace keeps the line's key part") << QStringList{"[TForm3]", "  Left \t= 5", "Top=1"} << "tform3"
                                                       << "LEFT"
                                                       << "7" << QStringList{"[TForm3]", "  Left \t=7", "Top=1"};
    QTest::newRow("replace only the first match") << QStringList{"[S]", "k=1", "k=2"} << "S"
                                                  << "k"
                                                  << "9" << QStringList{"[S]", "k=9", "k=2"};
    QTest::newRow("replace with an empty value") << QStringList{"[S]", "k=1"} << "S"
                                                 << "k"
                                                 << "" << QStringList{"[S]", "k="};
    QTest::newRow("commented key is not replaced") << QStringList{"[S]", ";k=1", ""} << "S"
                                                   << "k"
                                                   << "9" << QStringList{"[S]", ";k=1", "k=9", ""};
    QTest::newRow("insert after the last non-empty line of the section")
        << QStringList{"[A]", "x=1", "", "[S]", "a=1", "", "b=2", "", "  ", "[T]", "c=3"} << "S"
        << "k"
        << "9" << QStringList{"[A]", "x=1", "", "[S]", "a=1", "", "b=2", "k=9", "", "  ", "[T]", "c=3"};
    QTest::newRow("insert into an empty section after its line") << QStringList{"[S]", "", "[T]"} << "S"
                                                                 << "k"
                                                                 << "9" << QStringList{"[S]", "k=9", "", "[T]"};
    QTest::newRow("insert into the last section") << QStringList{"[A]", "[S]", "a=1", ""} << "S"
                                                  << "k"
                                                  << "9" << QStringList{"[A]", "[S]", "a=1", "k=9", ""};
    QTest::newRow("key of another section is not touched") << QStringList{"[A]", "k=1"} << "S"
                                                           << "k"
                                                           << "9" << QStringList{"[A]", "k=1", "[S]", "k=9"};
    QTest::newRow("missing section goes at the end without a blank line")
        << QStringList{"[LogON]", "FTP=x"} << "TForm3"
        << "FormVersion"
        << "0" << QStringList{"[LogON]", "FTP=x", "[TForm3]", "FormVersion=0"};
    QTest::newRow("missing section after a final empty line") << QStringList{"a", ""} << "S"
                                                              << "k"
                                                              << "9" << QStringList{"a", "", "[S]", "k=9"};
    QTest::newRow("empty file") << QStringList{} << "S"
                                << "k"
                                << "9" << QStringList{"[S]", "k=9"};
    QTest::newRow("section line in other case is kept") << QStringList{"[tform3]"} << "TForm3"
                                                        << "Flags"
                                                        << "0" << QStringList{"[tform3]", "Flags=0"};
}

void TestIni::writeKey() {
    QFETCH(QStringList, lines);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QStringList, expected);
    const QStringList written = IniWriteKey(lines, section, key, value);
    QCOMPARE(written, expected);
    QCOMPARE(IniReadString(written, section, key, QStringLiteral("DEF")), value);
}

void TestIni::fileRead_readsSampleInEveryEncoding_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("ANSI") << "placement-ansi.ini";
    QTest::newRow("UTF-8") << "placement-utf8.ini";
    QTest::newRow("UTF-16 LE") << "placement-utf16le.ini";
    QTest::newRow("UTF-16 BE") << "placement-utf16be.ini";
}

void TestIni::fileRead_readsSampleInEveryEncoding() {
    QFETCH(QString, file);
    QTemporaryDir dir;
    const QString path = CopySample(dir, file);
    QCOMPARE(IniFileReadString(path, "LogON", "IP", ""), QStringLiteral("10.0.0.1"));
    QCOMPARE(IniFileReadInt(path, "LogON", "SQLport", 0), 3306);
    QCOMPARE(IniFileReadString(path, "LogOn", "FTPdir", ""), QStringLiteral("trenix/kovalt05"));
    QCOMPARE(IniFileReadBool(path, "LogOn", "FTPpassive", true), true);
    QCOMPARE(IniFileReadInt(path, "TForm3", "AlphaBlendValue", 255), 200);
    QCOMPARE(IniFileReadInt(path, "TForm3", "FontColor", 16777215), 16777215);
    QCOMPARE(IniFileReadString(path, "JINÉ", "popis", ""), QStringLiteral("Účetnictví"));
}

void TestIni::fileRead_missingFileGivesDefaults() {
    QTemporaryDir dir;
    const QString path = dir.filePath("kovalt05.ini");
    QCOMPARE(IniFileReadString(path, "LogON", "Database", "kovalt"), QStringLiteral("kovalt"));
    QCOMPARE(IniFileReadInt(path, "LogON", "SQLport", 3306), 3306);
    QCOMPARE(IniFileReadBool(path, "LogOn", "FTPpassive", true), true);
    QVERIFY(!QFileInfo::exists(path));
}

void TestIni::fileRead_seesChangesBetweenCalls() {
    QTemporaryDir dir;
    const QString path = dir.filePath("kovalt05.ini");
    WriteBytes(path, "[LogON]\r\nIP=1\r\n");
    QCOMPARE(IniFileReadString(path, "LogON", "IP", ""), QStringLiteral("1"));
    WriteBytes(path, "[LogON]\r\nIP=2\r\n");
    QCOMPARE(IniFileReadString(path, "LogON", "IP", ""), QStringLiteral("2"));
}

void TestIni::fileWriteKey_keepsEveryOtherByte_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    // before/after: the text that changes; an empty before means the text is appended at the end.
    const QString replaceBefore = "NormPos=100,50,190,950\r\n";
    const QString replaceAfter = "NormPos=-15\r\n";
    const QString insertBefore = "AlphaBlendValue=200\r\n";
    const QString insertAfter = "AlphaBlendValue=200\r\nFontColor=255\r\n";
    for (const auto& [file, encoding] :
         {std::pair{"placement-ansi.ini", "ISO-8859-1"}, std::pair{"placement-utf8.ini", "UTF-8"},
          std::pair{"placement-utf16le.ini", "UTF-16LE"}, std::pair{"placement-utf16be.ini", "UTF-16BE"}}) {
        QTest::addRow("%s: replace the value", file) << file << encoding << "tform3"
                                                     << "normpos" << -15 << replaceBefore << replaceAfter;
        QTest::addRow("%s: insert at the end of the section", file)
            << file << encoding << "TForm3"
            << "FontColor" << 255 << insertBefore << insertAfter;
        QTest::addRow("%s: append the section", file) << file << encoding << "Extra"
                                                      << "Count" << 1 << ""
                                                      << "[Extra]\r\nCount=1\r\n";
    }
}

void TestIni::fileWriteKey_keepsEveryOtherByte() {
    QFETCH(QString, file);
    QFETCH(QString, encoding);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, value);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QTemporaryDir dir;
    const QString path = CopySample(dir, file);
    const QByteArray original = ReadBytes(path);
    // The changed lines hold ASCII only, so ISO-8859-1 encodes them as Windows-1250 would.
    QStringEncoder encoder(qPrintable(encoding));
    QVERIFY(encoder.isValid());
    const QByteArray from = encoder.encode(before);
    const QByteArray to = encoder.encode(after);
    QByteArray expected = original;
    if (from.isEmpty()) {
        expected += to;
    } else {
        QCOMPARE(original.count(from), 1);
        expected.replace(from, to);
    }
    IniFileWriteInt(path, section, key, value);
    QCOMPARE(ReadBytes(path), expected);
    QCOMPARE(IniFileReadInt(path, section, key, 0), value);
}

void TestIni::fileWriteKey_newFileIsAnsiWithSectionFirst() {
    QTemporaryDir dir;
    const QString path = dir.filePath("kovalt05.ini");
    IniFileWriteKey(path, "TForm3", "Popis", QStringLiteral("čas"));
    IniFileWriteInt(path, "TForm3", "FontColor", 255);
    QCOMPARE(ReadBytes(path), QByteArray("[TForm3]\r\nPopis=\xE8\x61s\r\nFontColor=255\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kovalt05.ini"});
}

QTEST_GUILESS_MAIN(TestIni)
#include "tst_ini.moc"
