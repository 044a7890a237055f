#include "servers/settingsfile.h"
#include "testdata.h"
#include "util/error.h"
#include "util/ini.h"
#include "util/textfile.h"

#include <QtTest>

using namespace kovalt;

class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    void classify_data();
    void classify();
    void serverPart_data();
    void serverPart();
    void activate_data();
    void activate();
    void label_data();
    void label();
    void connectionErrorText_namesLabel();
    void workedExample_activatesBetaByteForByte();
    void rebuild_writesAnsiWhateverEncodingRead_data();
    void rebuild_writesAnsiWhateverEncodingRead();
    void czechNames_surviveReadAndRebuild();
    void label_missingFileThrows();
    void write_failureLeavesFileAndListsWhole();
};

void TestSettingsFile::classify_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");

    const int empty = int(LineKind::Empty), name = int(LineKind::Name), key = int(LineKind::Key);
    const int active = int(LineKind::AddressActive), commented = int(LineKind::AddressCommented);
    QTest::newRow("active address") << "IP=10.0.0.1" << active << "";
    QTest::newRow("active address in lower case") << "ip=10.0.0.1" << active << "";
    QTest::newRow("commented address") << ";IP=10.0.0.1" << commented << "";
    QTest::newRow("commented address in mixed case") << ";Ip=x" << commented << "";
    QTest::newRow("blank before address is a key line") << " IP=x" << key << "";
    QTest::newRow("blank after mark is a key line") << "; IP=x" << key << "";
    QTest::newRow("two marks is a key line") << ";;IP=x" << key << "";
    QTest::newRow("marker anywhere") << "xxPROPERTIES=a" << key << "";
    QTest::newRow("commented port") << ";SQLport=3306" << key << "";
    QTest::newRow("database") << "database=kovalt" << key << "";
    QTest::newRow("user marker inside a name") << ";NEWUSER=x" << key << "";
    QTest::newRow("canonical name line") << ";Alpha" << name << "Alpha";
    QTest::newRow("name line without mark") << "Alpha" << name << "Alpha";
    QTest::newRow("name keeps its blanks") << "; Alpha 2 ;" << name << " Alpha 2 ";
    QTest::newRow("accented name") << QStringLiteral(u";Šumperk") << name << QStringLiteral(u"Šumperk");
    QTest::newRow("dotless i is no marker") << QStringLiteral(u";ıp=1") << name << QStringLiteral(u"ıp=1");
    QTest::newRow("long s is no marker") << QStringLiteral(u"paſſword=1") << name << QStringLiteral(u"paſſword=1");
    QTest::newRow("nothing") << "" << empty << "";
    QTest::newRow("blanks") << "   " << empty << "";
    QTest::newRow("marks only") << ";;;" << empty << "";
    QTest::newRow("marks and control characters") << "; \t;\x01" << empty << "";
}

void TestSettingsFile::classify() {
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(QString, name);
    QCOMPARE(int(ClassifyLine(line)), kind);
    QCOMPARE(IsKeyLine(line), kind != int(LineKind::Empty) && kind != int(LineKind::Name));
    if (kind == int(LineKind::Name)) QCOMPARE(WithoutSemicolons(line), name);
}

void TestSettingsFile::serverPart_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("part");

    QTest::newRow("between section and FTP")
        << QStringList{"; prelude", "[LogON]", ";A", "IP=1", "", "FTP=h", "FTPdir=d"} << QStringList{";A", "IP=1", ""};
    QTest::newRow("section line in other case") << QStringList{"[logon]", ";A", "FTP=h"} << QStringList{";A"};
    QTest::newRow("blank after section line") << QStringList{"[LogON] ", ";A", "FTP=h"} << QStringList{};
    QTest::newRow("lower-case ftp does not end it")
        << QStringList{"[LogON]", ";A", "ftp=x", "Ftp", "FTP"} << QStringList{";A", "ftp=x", "Ftp"};
    QTest::newRow("file ends with server part") << QStringList{"[LogON]", ";A", "IP=1"} << QStringList{";A", "IP=1"};
    QTest::newRow("update part right after section") << QStringList{"[LogON]", "FTP=h", ";A"} << QStringList{};
    QTest::newRow("no section line") << QStringList{";A", "IP=1", "FTP=h"} << QStringList{};
    QTest::newRow("section line in the update part starts nothing")
        << QStringList{"[LogON]", ";A", "FTP=h", "[LogON]", ";B"} << QStringList{";A"};
    QTest::newRow("FTP line in the prelude ends nothing")
        << QStringList{"FTP=p", "[LogON]", ";A", "FTP=h"} << QStringList{";A"};
}

void TestSettingsFile::serverPart() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, part);
    QCOMPARE(ExtractServerPart(lines), part);
}

// Each row: the file before, the block chosen, the file after the rewrite and rebuild, and what
// the label and the key lookups make of the file before and after.
void TestSettingsFile::activate_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("labelBefore");
    QTest::addColumn<QString>("labelAfter");
    QTest::addColumn<QString>("ipBefore");
    QTest::addColumn<int>("portBefore");
    QTest::addColumn<QString>("ipAfter");
    QTest::addColumn<int>("portAfter");

    QTest::newRow("comments the other block, empty line becomes a mark")
        << QStringList{"[LogON]", ";A", "IP=1", "SQLport=3307", "", ";B", ";IP=2", ";SQLport=3308", "FTP=h"} << "B"
        << QStringList{"[LogON]", ";A", ";IP=1", ";SQLport=3307", ";", ";B", "IP=2", "SQLport=3308", "FTP=h"} << "(A)"
        << "(B)"
        << "1" << 3307 << "2" << 3308;
    QTest::newRow("empty line right after the chosen block ends it and stays")
        << QStringList{"[LogON]", ";A", "IP=1", ";B", ";IP=2", "", "FTP=h"} << "B"
        << QStringList{"[LogON]", ";A", ";IP=1", ";B", "IP=2", "", "FTP=h"} << "(A)"
        << "(B)"
        << "1" << 3306 << "2" << 3306;
    QTest::newRow("blank line outside the block becomes a bare mark")
        << QStringList{"[LogON]", ";A", "IP=1", "  ", ";B", ";IP=2", "FTP=h"} << "B"
        << QStringList{"[LogON]", ";A", ";IP=1", ";", ";B", "IP=2", "FTP=h"} << "(A)"
        << "(B)"
        << "1" << 3306 << "2" << 3306;
    QTest::newRow("section line in other case")
        << QStringList{"[LOGON]", ";A", "IP=1", "", ";B", ";IP=2", ";SQLport=3307", "FTP=h"} << "B"
        << QStringList{"[LOGON]", ";A", ";IP=1", ";", ";B", "IP=2", "SQLport=3307", "FTP=h"} << ""
        << ""
        << "1" << 3306 << "2" << 3307;
    QTest::newRow("blank after section line: nothing to rewrite")
        << QStringList{"[LogON] ", ";A", "IP=1", ";B", ";IP=2", "FTP=h"} << "B"
        << QStringList{"[LogON] ", ";A", "IP=1", ";B", ";IP=2", "FTP=h"} << "(A)"
        << "(A)"
        << "1" << 3306 << "1" << 3306;
    QTest::newRow("no uncommented line before the update part")
        << QStringList{"[LogON]", ";A", ";IP=1", ";SQLport=3310", "FTP=h"} << "A"
        << QStringList{"[LogON]", ";A", "IP=1", "SQLport=3310", "FTP=h"} << "(SQLPORT=3310)"
        << "(A)"
        << "" << 3306 << "1" << 3310;
    QTest::newRow("empty line above the active block")
        << QStringList{"[LogON]", ";A", ";IP=1", "", ";B", "IP=2", "SQLport=3307", "FTP=h"} << "A"
        << QStringList{"[LogON]", ";A", "IP=1", "", ";B", ";IP=2", ";SQLport=3307", "FTP=h"} << "(IP=1)"
        << "(A)"
        << "2" << 3307 << "1" << 3306;
    QTest::newRow("already active block")
        << QStringList{"[LogON]", ";A", "IP=1", "SQLport=3307", "", ";B", ";IP=2", "", "FTP=h"} << "A"
        << QStringList{"[LogON]", ";A", "IP=1", "SQLport=3307", "", ";B", ";IP=2", ";", "FTP=h"} << "(A)"
        << "(A)"
        << "1" << 3307 << "1" << 3307;
    QTest::newRow("name line without mark turns nothing on")
        << QStringList{"[LogON]", ";A", "IP=1", "SQLport=3307", "C", ";IP=3", "FTP=h"} << "C"
        << QStringList{"[LogON]", ";A", ";IP=1", ";SQLport=3307", ";C", ";IP=3", "FTP=h"} << "(A)"
        << "(IP=3)"
        << "1" << 3307 << "" << 3306;
    QTest::newRow("name compares exactly") << QStringList{"[LogON]", ";A", "IP=1", ";B", ";IP=2", "FTP=h"} << "b"
                                           << QStringList{"[LogON]", ";A", ";IP=1", ";B", ";IP=2", "FTP=h"} << "(A)"
                                           << "(IP=2)"
                                           << "1" << 3306 << "" << 3306;
    QTest::newRow("two blocks with the same name")
        << QStringList{"[LogON]", ";A", "IP=1", ";B", ";IP=2", ";SQLport=3307", ";B", ";IP=3", ";SQLport=3308", "FTP=h"}
        << "B"
        << QStringList{"[LogON]", ";A", ";IP=1", ";B", "IP=2", "SQLport=3307", ";B", "IP=3", "SQLport=3308", "FTP=h"}
        << "(A)"
        << "(B)"
        << "1" << 3306 << "2" << 3307;
    QTest::newRow("file ends with its server part") << QStringList{"[LogON]", ";A", "IP=1", ";B", ";IP=2"} << "B"
                                                    << QStringList{"[LogON]", ";A", ";IP=1", ";B", "IP=2"} << "(A)"
                                                    << "(B)"
                                                    << "1" << 3306 << "2" << 3306;
    QTest::newRow("file without section line stays as it is")
        << QStringList{";A", "IP=1", ";B", ";IP=2", "FTP=h"} << "B" << QStringList{";A", "IP=1", ";B", ";IP=2", "FTP=h"}
        << ""
        << ""
        << "" << 3306 << "" << 3306;
    QTest::newRow("prelude, update part and later sections kept verbatim")
        << QStringList{"; top", "Key=1",     "[LogON]", ";A",   "IP=1",     ";B",
                       ";IP=2", "FTPuser=u", "",        "IP=9", "[TForm3]", "Top=5"}
        << "B" << QStringList{"; top", "Key=1",     "[LogON]", ";A",   ";IP=1",    ";B",
                              "IP=2",  "FTPuser=u", "",        "IP=9", "[TForm3]", "Top=5"}
        << "(A)"
        << "(B)"
        << "1" << 3306 << "2" << 3306;
    QTest::newRow("second section line in the update part is not copied twice")
        << QStringList{"[LogON]", ";A", "IP=1", ";B", ";IP=2", "FTP=h", "[LogON]", ";C", ";IP=3"} << "B"
        << QStringList{"[LogON]", ";A", ";IP=1", ";B", "IP=2", "FTP=h", "[LogON]", ";C", ";IP=3"} << "(A)"
        << "(B)"
        << "1" << 3306 << "2" << 3306;
}

void TestSettingsFile::activate() {
    QFETCH(QStringList, before);
    QFETCH(QString, name);
    QFETCH(QStringList, after);
    QFETCH(QString, labelBefore);
    QFETCH(QString, labelAfter);
    QFETCH(QString, ipBefore);
    QFETCH(int, portBefore);
    QFETCH(QString, ipAfter);
    QFETCH(int, portAfter);

    QCOMPARE(NazevServeruFromLines(before), labelBefore);
    QCOMPARE(IniReadString(before, "LogON", "IP", ""), ipBefore);
    QCOMPARE(IniReadInt(before, "LogON", "SQLport", 3306), portBefore);

    const QStringList rewritten = ActivationRewrite(ExtractServerPart(before), name);
    const QStringList rebuilt = FileRebuild(before, rewritten);
    QCOMPARE(rebuilt, after);
    QCOMPARE(ExtractServerPart(rebuilt), rewritten);

    QCOMPARE(NazevServeruFromLines(rebuilt), labelAfter);
    QCOMPARE(IniReadString(rebuilt, "LogON", "IP", ""), ipAfter);
    QCOMPARE(IniReadInt(rebuilt, "LogON", "SQLport", 3306), portAfter);
}

void TestSettingsFile::label_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("label");

    QTest::newRow("unnamed set of keys") << QStringList{"[LogON]", "IP=1", "FTP=h"} << "(DATA)";
    QTest::newRow("text after section line") << QStringList{"[LogON]xyz", "IP=1"} << "(DATA)";
    QTest::newRow("anything may follow the section name") << QStringList{"[LogON] x", ";A", "IP=1"} << "(A)";
    QTest::newRow("first line of the update part counts") << QStringList{"[LogON]", ";A", ";IP=1", "FTP=h"} << "(IP=1)";
    QTest::newRow("nothing uncommented to the end") << QStringList{"[LogON]", ";A", ";IP=1"} << "";
    QTest::newRow("section line alone") << QStringList{"[LogON]"} << "";
    QTest::newRow("first section line wins") << QStringList{"[LogON]", ";A", "IP=1", "[LogON]", ";B", "IP=2"} << "(A)";
    QTest::newRow("blanks inside and at the ends kept")
        << QStringList{"[LogON]", "; Alpha 2 ;", "IP=1"} << "( ALPHA 2 )";
    QTest::newRow("accented letters upper-cased")
        << QStringList{"[LogON]", QStringLiteral(u";Žďár-čtvrť"), "IP=1"} << QStringLiteral(u"(ŽĎÁR-ČTVRŤ)");
}

void TestSettingsFile::label() {
    QFETCH(QStringList, lines);
    QFETCH(QString, label);
    QCOMPARE(NazevServeruFromLines(lines), label);
}

void TestSettingsFile::connectionErrorText_namesLabel() {
    QCOMPARE(ConnectionErrorText("(ALPHA)"), QStringLiteral("Se serverem SQL (ALPHA) se nelze spojit!"));
    QCOMPARE(ConnectionErrorText(""), QStringLiteral("Se serverem SQL  se nelze spojit!"));
}

void TestSettingsFile::workedExample_activatesBetaByteForByte() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = CopyServersData(dir, "example.ini");

    QCOMPARE(NazevServeru(path), QStringLiteral("(ALPHA)"));
    QCOMPARE(IniFileReadString(path, "LogON", "IP", ""), QStringLiteral("10.0.0.1"));
    QCOMPARE(IniFileReadInt(path, "LogON", "SQLport", 3306), 3306);
    QCOMPARE(IniFileReadString(path, "LogON", "User", ""), QStringLiteral(u"jiří"));

    QStringList lines = ReadTextFile(path).lines;
    QStringList part = ExtractServerPart(lines);
    QCOMPARE(part.size(), 13);
    ActivateServerInFile(path, lines, part, "Beta");

    QCOMPARE(ReadBytes(path), ServersDataBytes("example-beta.ini"));
    QCOMPARE(lines, ReadTextFile(path).lines);
    QCOMPARE(part, ExtractServerPart(lines));

    QCOMPARE(NazevServeru(path), QStringLiteral("(BETA)"));
    QCOMPARE(IniFileReadString(path, "LogON", "IP", ""), QStringLiteral("10.0.0.2"));
    QCOMPARE(IniFileReadInt(path, "LogON", "SQLport", 3306), 3307);
    QCOMPARE(IniFileReadString(path, "LogON", "User", ""), QStringLiteral(u"kůň"));
    QCOMPARE(IniFileReadString(path, "LogOn", "FTPdir", ""), QStringLiteral("trenix/kovalt05"));

    // The next activation works on the lists as now written.
    ActivateServerInFile(path, lines, part, "Alpha");
    QCOMPARE(NazevServeru(path), QStringLiteral("(ALPHA)"));
    QCOMPARE(IniFileReadInt(path, "LogON", "SQLport", 3306), 3306);
}

void TestSettingsFile::rebuild_writesAnsiWhateverEncodingRead_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("encoding");
    QTest::newRow("UTF-8 with byte-order mark") << "example-utf8bom.ini" << int(TextEncoding::Utf8);
    QTest::newRow("UTF-16 LE") << "example-utf16le.ini" << int(TextEncoding::Utf16LE);
    QTest::newRow("lone CR line ends") << "example-cr.ini" << int(TextEncoding::Ansi);
}

void TestSettingsFile::rebuild_writesAnsiWhateverEncodingRead() {
    QFETCH(QString, file);
    QFETCH(int, encoding);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = CopyServersData(dir, file);

    const TextFile read = ReadTextFile(path);
    QCOMPARE(int(read.encoding), encoding);
    QCOMPARE(NazevServeru(path), QStringLiteral("(ALPHA)"));
    QStringList lines = read.lines;
    QStringList part = ExtractServerPart(lines);
    ActivateServerInFile(path, lines, part, "Beta");

    QCOMPARE(ReadBytes(path), ServersDataBytes("example-beta.ini"));
    QCOMPARE(NazevServeru(path), QStringLiteral("(BETA)"));
}

void TestSettingsFile::czechNames_surviveReadAndRebuild() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = CopyServersData(dir, "czech.ini");

    QCOMPARE(NazevServeru(path), QStringLiteral(u"(ŠUMPERK)"));
    QStringList lines = ReadTextFile(path).lines;
    QCOMPARE(lines.first(), QStringLiteral(u"; Nastavení serverů"));
    QStringList part = ExtractServerPart(lines);
    ActivateServerInFile(path, lines, part, QStringLiteral(u"Čáslav"));

    QCOMPARE(ReadBytes(path), ServersDataBytes("czech-caslav.ini"));
    QCOMPARE(NazevServeru(path), QStringLiteral(u"(ČÁSLAV)"));
    QCOMPARE(IniFileReadString(path, "LogON", "IP", ""), QStringLiteral("192.168.1.20"));
    QCOMPARE(IniFileReadString(path, "LogON", "User", ""), QStringLiteral(u"správce"));
}

void TestSettingsFile::label_missingFileThrows() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("kovalt05.ini");
    try {
        NazevServeru(path);
        QFAIL("no error for a missing file");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains("kovalt05.ini"), qPrintable(e.message()));
    }
}

void TestSettingsFile::write_failureLeavesFileAndListsWhole() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = CopyServersData(dir, "example.ini");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    const QStringList originalLines = ReadTextFile(path).lines;
    const QStringList originalPart = ExtractServerPart(originalLines);
    QStringList lines = originalLines;
    QStringList part = originalPart;
    try {
        ActivateServerInFile(path, lines, part, "Beta");
        QFAIL("writing a read-only file succeeded");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains("example.ini"), qPrintable(e.message()));
    }
    QCOMPARE(ReadBytes(path), ServersDataBytes("example.ini"));
    QCOMPARE(lines, originalLines);
    QCOMPARE(part, originalPart);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"example.ini"});
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
