#include "servers/serverlist.h"
#include "servers/settingsfile.h"
#include "testdata.h"
#include "util/textfile.h"

#include <QtTest>

using namespace kovalt;

namespace {
// "name|ip" with "|*" appended for an active entry.
QStringList Describe(const QList<tserver>& servers) {
    QStringList out;
    for (const tserver& s : servers)
        out.append(s.server + u'|' + s.ip + (s.aktivni ? QStringLiteral("|*") : QString()));
    return out;
}

const QLocale kCzech(QLocale::Czech, QLocale::Czechia);
} // namespace

class TestServerList : public QObject {
    Q_OBJECT

private slots:
    void tiles_data();
    void tiles();
    void parse_keepsEntriesWithoutAddressInFileOrder();
    void tiles_czechNamesInCzechOrder();
    void tiles_atMostFiftyBlocks();
    void sort_comparesWithoutCaseButWithAccents();
};

void TestServerList::tiles_data() {
    QTest::addColumn<QStringList>("serverPart");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("tiles");
    QTest::addColumn<int>("active");

    const QStringList example{";Alpha", "IP=10.0.0.1",  "User=u",  "Password=p",  "Database=d",  "SQLport=3306", "",
                              ";Beta",  ";IP=10.0.0.2", ";User=u", ";Password=p", ";Database=d", ";SQLport=3307"};
    QTest::newRow("worked example") << example << "C" << QStringList{"Alpha|IP=10.0.0.1|*", "Beta|IP=10.0.0.2"} << 1;
    QTest::newRow("sorted by name") << QStringList{";Gamma", ";IP=3", ";Alpha", "IP=1", ";Beta", ";IP=2"} << "C"
                                    << QStringList{"Alpha|IP=1|*", "Beta|IP=2", "Gamma|IP=3"} << 1;
    QTest::newRow("block without address line gives no tile")
        << QStringList{";A", ";User=u", ";B", ";IP=2", ";Poznámka", ";C", ";IP=3"} << "C"
        << QStringList{"B|IP=2", "C|IP=3"} << 0;
    QTest::newRow("address across empty and key lines")
        << QStringList{";A", "", ";User=u", "", ";;", ";IP=1"} << "C" << QStringList{"A|IP=1"} << 0;
    QTest::newRow("later address overwrites, active stays")
        << QStringList{";A", "IP=1", ";IP=2"} << "C" << QStringList{"A|IP=2|*"} << 1;
    QTest::newRow("key lines before the first name line belong to none")
        << QStringList{"IP=0", "User=u", "", ";A", ";IP=1"} << "C" << QStringList{"A|IP=1"} << 0;
    QTest::newRow("blank before IP is no address")
        << QStringList{";A", " IP=1", ";B", "; IP=2", ";C", ";IP=3"} << "C" << QStringList{"C|IP=3"} << 0;
    QTest::newRow("address keeps its letter case")
        << QStringList{";A", "ip=host"} << "C" << QStringList{"A|ip=host|*"} << 1;
    QTest::newRow("name keeps its blanks, name line without mark")
        << QStringList{"; My server ", ";IP=1", "Other", "IP=2"} << "C"
        << QStringList{" My server |IP=1", "Other|IP=2|*"} << 2;
    QTest::newRow("two active blocks, the later one counts")
        << QStringList{";B", "IP=2", ";A", "IP=1", ";C", ";IP=3"} << "C"
        << QStringList{"A|IP=1|*", "B|IP=2|*", "C|IP=3"} << 2;
    QTest::newRow("no active block") << QStringList{";B", ";IP=2", ";A", ";IP=1"} << "C"
                                     << QStringList{"A|IP=1", "B|IP=2"} << 0;
    const QStringList caseOnly{";beta", ";IP=1",  ";Alpha", ";IP=2",  ";BETA",
                               ";IP=3", ";alpha", ";IP=4",  ";ALPHA", ";IP=5"};
    const QStringList caseOnlyTiles{"Alpha|IP=2", "alpha|IP=4", "ALPHA|IP=5", "beta|IP=1", "BETA|IP=3"};
    QTest::newRow("case-only differences keep file order") << caseOnly << "C" << caseOnlyTiles << 0;
    QTest::newRow("case-only differences keep file order, Czech") << caseOnly << "cs_CZ" << caseOnlyTiles << 0;
    QTest::newRow("no block") << QStringList{"", ";"} << "C" << QStringList{} << 0;
}

void TestServerList::tiles() {
    QFETCH(QStringList, serverPart);
    QFETCH(QString, locale);
    QFETCH(QStringList, tiles);
    QFETCH(int, active);
    const QList<tserver> servers = ServerTiles(serverPart, QLocale(locale));
    QCOMPARE(Describe(servers), tiles);
    QCOMPARE(ActiveServerNumber(servers), active);
}

void TestServerList::parse_keepsEntriesWithoutAddressInFileOrder() {
    const QList<tserver> parsed = ParseServerEntries({";B", ";User=u", ";A", "IP=1"});
    QCOMPARE(Describe(parsed), (QStringList{"B|", "A|IP=1|*"}));
}

void TestServerList::tiles_czechNamesInCzechOrder() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList part = ExtractServerPart(ReadTextFile(CopyServersData(dir, "czech.ini")).lines);

    QList<tserver> czech = ServerTiles(part, kCzech);
    QStringList names;
    for (const tserver& s : czech)
        names.append(s.server);
    // In Czech "č" follows "c", and "ch" follows "h".
    QCOMPARE(names, (QStringList{"Brno", "cesta", QStringLiteral(u"Čáslav"), QStringLiteral(u"Hodonín"), "Cheb",
                                 QStringLiteral(u"Šumperk")}));
    QCOMPARE(ActiveServerNumber(czech), 6);
    QCOMPARE(czech.last().ip, QStringLiteral("IP=192.168.1.10"));

    // The locale is what puts them so: code order would not.
    QList<tserver> plain = ServerTiles(part, QLocale::c());
    QStringList plainNames;
    for (const tserver& s : plain)
        plainNames.append(s.server);
    QCOMPARE(plainNames, (QStringList{"Brno", "cesta", "Cheb", QStringLiteral(u"Hodonín"), QStringLiteral(u"Čáslav"),
                                      QStringLiteral(u"Šumperk")}));
}

void TestServerList::tiles_atMostFiftyBlocks() {
    // 55 blocks named S55 down to S01; the 51st (S05) is the active one.
    QStringList part;
    for (int i = 55; i >= 1; --i) {
        part.append(QStringLiteral(";S%1").arg(i, 2, 10, QChar(u'0')));
        part.append((i == 5 ? QStringLiteral("IP=10.0.0.%1") : QStringLiteral(";IP=10.0.0.%1")).arg(i));
    }
    const QList<tserver> parsed = ParseServerEntries(part);
    QCOMPARE(parsed.size(), kMaxServers);
    QCOMPARE(parsed.last().server, QStringLiteral("S06"));
    QCOMPARE(parsed.last().ip, QStringLiteral("IP=10.0.0.6"));

    const QList<tserver> tiles = ServerTiles(part, QLocale::c());
    QCOMPARE(tiles.size(), kMaxServers);
    QCOMPARE(tiles.first().server, QStringLiteral("S06"));
    QCOMPARE(tiles.last().server, QStringLiteral("S55"));
    QCOMPARE(ActiveServerNumber(tiles), 0);
}

void TestServerList::sort_comparesWithoutCaseButWithAccents() {
    QList<tserver> servers{{QStringLiteral(u"sál"), "IP=1", false},
                           {"SAL", "IP=2", false},
                           {"sal", "IP=3", false},
                           {QStringLiteral(u"SÁL"), "IP=4", false}};
    SortServers(servers, kCzech);
    QCOMPARE(Describe(servers),
             (QStringList{"SAL|IP=2", "sal|IP=3", QStringLiteral(u"sál|IP=1"), QStringLiteral(u"SÁL|IP=4")}));
}

QTEST_GUILESS_MAIN(TestServerList)
#include "tst_serverlist.moc"
