#include "app/notice.h"
#include "app/picture.h"
#include "app/unit3.h"
#include "db/mariadbinfo.h"
#include "modules/gradientpanel.h"
#include "modules/servertile.h"
#include "modules/tilewidgets.h"
#include "util/codepage.h"
#include "util/error.h"
#include "util/fileutil.h"
#include "util/textfile.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using kovalt::MessageBox;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A port on 127.0.0.1 on which nothing listens.
int closedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 1;
    const int port = server.serverPort();
    server.close();
    return port;
}

// "[LogON]", the server part, then an update part.
QStringList settingsWith(const QStringList& serverPart)
{
    return QStringList{"[LogON]"} + serverPart + QStringList{"FTP=127.0.0.1", "FTPport=1"};
}

QStringList block(const QString& name, int address, bool active)
{
    const QString mark = active ? QString() : QStringLiteral(";");
    return {";" + name, mark + QString("IP=10.0.0.%1").arg(address)};
}

QStringList numberedBlocks(int count, const QList<int>& active)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k)
        lines += block(QString("S%1").arg(k, 2, 10, QChar('0')), k, active.contains(k));
    return lines;
}

QStringList numbers(int from, int to)
{
    QStringList names;
    for (int k = from; k <= to; ++k)
        names << QString("S%1").arg(k, 2, 10, QChar('0'));
    return names;
}

} // namespace

class TestServerMode : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    QLocale startLocale;

    QString settingsPath() const { return dir->filePath("kovalt05.ini"); }

    // A bar in server mode whose program directory holds the module list, the developer marker
    // and a settings file with these bytes; shown, with its server tiles built.
    std::unique_ptr<TForm3> serverBar(const QByteArray& settings, int readyAfterMs = 1)
    {
        auto bar = unshownBar(settings, readyAfterMs);
        if (bar)
            bar->show();
        return bar;
    }

    // The same before it is shown; a null settings leaves the file out.
    std::unique_ptr<TForm3> unshownBar(const QByteArray& settings, int readyAfterMs)
    {
        dir = std::make_unique<QTemporaryDir>();
        const QDir from(qEnvironmentVariable("KOVALT_TEST_DATA") + "/servermode");
        for (const QString& f : from.entryList(QDir::Files))
            QFile::copy(from.filePath(f), dir->filePath(f));
        QFile out(settingsPath());
        if (!settings.isNull() && (!out.open(QIODevice::WriteOnly) || out.write(settings) != settings.size()))
            return nullptr;
        out.close();
        kovalt::SetProgramDirOverride(dir->path() + "/");
        auto bar = std::make_unique<TForm3>();
        bar->FormStorage1 = kovalt::PlacementStore(dir->path() + "/", "kovalt05.exe");
        bar->SetArguments({"kovalt05.exe", "/V"});
        bar->SetControlKeyProbe([] { return false; });
        bar->Timer1->setInterval(readyAfterMs);
        return bar;
    }

    std::unique_ptr<TForm3> readyServerBar(const QByteArray& settings)
    {
        auto bar = serverBar(settings);
        if (bar && !QTest::qWaitFor([&] { return bar->Ready(); }, 5000))
            return nullptr;
        return bar;
    }

    static void doubleClickTile(int j, QPoint at = QPoint(100, 10))
    {
        kovalt::GradientPanel* panel = kovalt::Tiles().Panels[j];
        QVERIFY(panel);
        QTest::mouseDClick(panel, Qt::LeftButton, {}, at);
    }

    static QByteArray ansi(const QStringList& lines) { return kovalt::EncodeText(lines, kovalt::TextEncoding::Ansi); }

    static MariaDbInfo fixture()
    {
        const MariaDbInfo info = MariaDbInfo::load();
        if (!info.valid())
            qWarning("%s", qPrintable(info.error));
        return info;
    }

    // A block of the fixture server's settings, reachable or with its port closed.
    static QStringList dbBlock(const QString& name, bool active, const MariaDbInfo& db, int port)
    {
        return toggled({";" + name, "IP=" + db.host, "User=" + db.user, "Password=" + db.password,
                        "Database=" + db.database, "SQLport=" + QString::number(port)},
                       active);
    }

    // The block with its key lines uncommented (active) or commented once.
    static QStringList toggled(QStringList lines, bool active)
    {
        for (qsizetype i = 1; i < lines.size(); ++i) {
            lines[i].remove(';');
            if (!active)
                lines[i].prepend(';');
        }
        return lines;
    }

    // The worked example with Beta's keys pointing at the fixture server instead of 10.0.0.2.
    static QByteArray onFixture(QByteArray bytes, const MariaDbInfo& db)
    {
        // Every value must be there to be swapped; a miss gives no file at all.
        bool missed = false;
        const auto swap = [&](const char* from, const QString& to) {
            missed = missed || !bytes.contains(from);
            bytes.replace(from, kovalt::EncodeAnsi(to));
        };
        swap("IP=10.0.0.2", "IP=" + db.host);
        swap("User=k\xF9\xF2", "User=" + db.user);
        swap("Password=\xFAp\xECl", "Password=" + db.password);
        swap("Database=\xEF\xE1" "belsk\xE9", "Database=" + db.database);
        swap("SQLport=3307", "SQLport=" + QString::number(db.port));
        return missed ? QByteArray() : bytes;
    }

    static void verifyModuleMode(TForm3* bar)
    {
        const auto& tiles = kovalt::Tiles();
        QVERIFY(!tiles.ServerMode);
        QVERIFY(tiles.Connected);
        QVERIFY(bar->SettingsLines.isEmpty());
        QVERIFY(bar->LogonLines.isEmpty());
        QVERIFY(bar->updatesEnabled());
        QCOMPARE(tiles.Count, 1);
        QCOMPARE(tiles.Names[1], QString("Sklad"));
        QVERIFY(tiles.Panels[1]);
        QCOMPARE(tiles.Panels[1]->Heading(), QString("Sklad"));
        QCOMPARE(tiles.Panels[1]->parentWidget(), bar);
    }

private slots:
    void initTestCase() { startLocale = QLocale(); }

    void init()
    {
        MessageBox::clearShown();
        // Nothing here may wait for a person: every box is answered.
        for (int i = 0; i < 4; ++i)
            MessageBox::setNextAnswer(MessageBox::ResultYes);
    }

    void cleanup()
    {
        kovalt::Tiles().ReleaseControlsNow();
        kovalt::Tiles() = kovalt::TileList{};
        kovalt::SetProgramDirOverride(QString());
        SetScreenSizeOverride(QSize());
        QLocale::setDefault(startLocale);
        if (dir)
            QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::WriteOwner);
    }

    void workedExample_tilesFramesAndNumbers()
    {
        auto bar = serverBar(readBytes(qEnvironmentVariable("KOVALT_TEST_DATA") + "/servers/example.ini"), 60000);
        QVERIFY(bar);
        const auto& tiles = kovalt::Tiles();
        QVERIFY(tiles.ServerMode);
        QCOMPARE(tiles.Count, 2);
        QCOMPARE(tiles.First, 1);
        QCOMPARE(tiles.Last, 2);
        struct Expected {
            QString name, ip;
            int frame;
            QColor colour;
        };
        const Expected expected[] = {{"Alpha", "IP=10.0.0.1", 2, QColor(255, 0, 0)},
                                     {"Beta", "IP=10.0.0.2", 1, QColor(0, 0, 0)}};
        for (int j = 1; j <= 2; ++j) {
            const Expected& e = expected[j - 1];
            kovalt::GradientPanel* panel = tiles.Panels[j];
            QVERIFY(panel);
            QCOMPARE(panel->parentWidget(), bar.get());
            QCOMPARE(panel->objectName(), QString("but0%1").arg(j));
            QCOMPARE(panel->geometry(), QRect(0, 20 + 47 * (j - 1), bar->width(), 42));
            QCOMPARE(panel->Heading(), e.name);
            QCOMPARE(panel->FrameWidth(), e.frame);
            QCOMPARE(panel->FrameColor(), e.colour);
            QCOMPARE(tiles.Captions[j]->text(), e.ip);
            QCOMPARE(tiles.Icons[j]->Picture(), kovalt::ServerNumberPicture(j));
            QCOMPARE(tiles.Tops[j], 20 + 47 * (j - 1));
            QCOMPARE(tiles.Names[j], e.name);
            QCOMPARE(tiles.Descriptions[j], e.ip);
            QVERIFY(tiles.Commands[j].isEmpty());
        }
        QCOMPARE(tiles.Tops[3], -1);
        QCOMPARE(bar->pos(), QPoint(0, 10));
        QCOMPARE(bar->height(), 2 * 47 + 35);
        QVERIFY(bar->JvImage3->isHidden());
        QVERIFY(bar->JvImage4->isHidden());
        QVERIFY(!bar->JvProgressBar1->isHidden());
        QVERIFY(bar->Timer1->isActive());
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->LogonLines.size(), 13);
        QCOMPARE(bar->SettingsLines.size(), 19);
    }

    void workedExample_doubleClickOnBetaActivatesItAndSwitchesToModules()
    {
        const MariaDbInfo db = fixture();
        QVERIFY(db.valid());
        const QString data = qEnvironmentVariable("KOVALT_TEST_DATA") + "/servers/";
        const QByteArray before = onFixture(readBytes(data + "example.ini"), db);
        const QByteArray after = onFixture(readBytes(data + "example-beta.ini"), db);
        QVERIFY(!before.isEmpty() && !after.isEmpty());
        auto bar = readyServerBar(before);
        QVERIFY(bar);
        doubleClickTile(2);
        // Byte for byte the example's rewrite; only Beta's values point at the fixture.
        QCOMPARE(readBytes(settingsPath()), after);
        QVERIFY(MessageBox::shown().isEmpty());
        verifyModuleMode(bar.get());
    }

    void columns_data()
    {
        QTest::addColumn<QStringList>("serverPart");
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("ips");
        QTest::addColumn<QList<int>>("red");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");

        // 600 pixels leave room for ten server tiles.
        QTest::newRow("20 entries, Last 10, active 12: tiles 4 to 13")
            << numberedBlocks(20, {12}) << 600 << "" << numbers(1, 20) << QStringList{} << QList<int>{12} << 4 << 13;
        QTest::newRow("12 entries, active 12: the third step does nothing, tiles 3 to 12")
            << numberedBlocks(12, {12}) << 600 << "" << numbers(1, 12) << QStringList{} << QList<int>{12} << 3 << 12;
        QTest::newRow("active tile in the window: no scrolling")
            << numberedBlocks(20, {10}) << 600 << "" << numbers(1, 20) << QStringList{} << QList<int>{10} << 1 << 10;
        QTest::newRow("all fit on a full screen") << numberedBlocks(20, {20}) << 1080 << "" << numbers(1, 20)
                                                  << QStringList{} << QList<int>{20} << 1 << 20;
        QTest::newRow("no active block: no red frame, no scrolling")
            << numberedBlocks(12, {}) << 600 << "" << numbers(1, 12) << QStringList{} << QList<int>{} << 1 << 10;
        QTest::newRow("two active blocks: both red, scrolled to the later")
            << numberedBlocks(12, {2, 12}) << 600 << "" << numbers(1, 12) << QStringList{} << QList<int>{2, 12} << 3
            << 12;
        QTest::newRow("sorted by name before numbering")
            << (block("Gama", 1, false) + block("alfa", 2, true) + block("Beta", 3, false)) << 1080 << ""
            << QStringList{"alfa", "Beta", "Gama"} << QStringList{"IP=10.0.0.2", "IP=10.0.0.3", "IP=10.0.0.1"}
            << QList<int>{1} << 1 << 3;
        QTest::newRow("block without address line: no tile, numbers stay consecutive")
            << (block("Alfa", 1, false) + QStringList{";Beta", ";User=x", ";SQLport=3306"} + block("Gama", 3, true))
            << 1080 << "" << QStringList{"Alfa", "Gama"} << QStringList{"IP=10.0.0.1", "IP=10.0.0.3"} << QList<int>{2}
            << 1 << 2;
        QTest::newRow("comment forming a name line, later address line wins")
            << QStringList{"; Servery firmy", "", ";Alfa", ";IP=10.0.0.1", ";IP=10.0.0.9", "", ";Beta", "IP=10.0.0.2"}
            << 1080 << "" << QStringList{"Alfa", "Beta"} << QStringList{"IP=10.0.0.9", "IP=10.0.0.2"} << QList<int>{2}
            << 1 << 2;
        QTest::newRow("names differing only in case keep file order")
            << (block("beta", 1, false) + block("Alfa", 2, false) + block("BETA", 3, true) + block("Beta", 4, false))
            << 1080 << "" << QStringList{"Alfa", "beta", "BETA", "Beta"}
            << QStringList{"IP=10.0.0.2", "IP=10.0.0.1", "IP=10.0.0.3", "IP=10.0.0.4"} << QList<int>{3} << 1 << 4;
        QTest::newRow("Czech names in Czech order")
            << (block("Šumperk", 1, false) + block("Hodonín", 2, false) + block("Cheb", 3, false) +
                block("Čáslav", 4, true) + block("cesta", 5, false) + block("Brno", 6, false))
            << 1080 << "cs_CZ" << QStringList{"Brno", "cesta", "Čáslav", "Hodonín", "Cheb", "Šumperk"} << QStringList{}
            << QList<int>{3} << 1 << 6;
    }

    void columns()
    {
        QFETCH(QStringList, serverPart);
        QFETCH(int, screenHeight);
        QFETCH(QString, locale);
        QFETCH(QStringList, names);
        QFETCH(QStringList, ips);
        QFETCH(QList<int>, red);
        QFETCH(int, first);
        QFETCH(int, last);
        if (!locale.isEmpty())
            QLocale::setDefault(QLocale(locale));
        SetScreenSizeOverride(QSize(1920, screenHeight));
        auto bar = serverBar(ansi(settingsWith(serverPart)), 60000);
        QVERIFY(bar);
        const auto& tiles = kovalt::Tiles();
        const int count = int(names.size());
        QCOMPARE(tiles.Count, count);
        QCOMPARE(tiles.First, first);
        QCOMPARE(tiles.Last, last);
        for (int j = 1; j <= count; ++j) {
            QCOMPARE(tiles.Names[j], names[j - 1]);
            kovalt::GradientPanel* panel = tiles.Panels[j];
            QVERIFY(panel);
            QCOMPARE(panel->Heading(), names[j - 1]);
            if (!ips.isEmpty())
                QCOMPARE(tiles.Captions[j]->text(), ips[j - 1]);
            QCOMPARE(tiles.Icons[j]->Picture(), kovalt::ServerNumberPicture(j));
            const bool isRed = red.contains(j);
            QCOMPARE(panel->FrameColor(), isRed ? QColor(255, 0, 0) : QColor(0, 0, 0));
            QCOMPARE(panel->FrameWidth(), isRed ? 2 : 1);
            const bool shown = j >= first && j <= last;
            QCOMPARE(panel->parentWidget(), shown ? bar.get() : nullptr);
            QCOMPARE(tiles.Tops[j], shown ? 20 + 47 * (j - first) : 0);
            if (shown)
                QCOMPARE(panel->y(), tiles.Tops[j]);
        }
        QCOMPARE(tiles.Tops[count + 1], -1);
        QCOMPARE(bar->height(), 47 * (last - first + 1) + 35);
        QCOMPARE(bar->JvImage3->isHidden(), first == 1);
        QCOMPARE(bar->JvImage4->isHidden(), last == count);
    }

    void noServerBlock_noTilesAndTheFormKeepsItsHeight()
    {
        auto bar = serverBar(ansi(settingsWith({";Poznamka"})), 60000);
        QVERIFY(bar);
        QCOMPARE(kovalt::Tiles().Count, 0);
        QCOMPARE(kovalt::Tiles().Last, 0);
        QCOMPARE(kovalt::Tiles().First, 1);
        QVERIFY(!kovalt::Tiles().Panels[1]);
        QCOMPARE(bar->height(), 47);
        QVERIFY(bar->JvImage3->isHidden());
        QVERIFY(bar->JvImage4->isHidden());
        QVERIFY(bar->Timer1->isActive());
    }

    void unreadableSettingsFile_reachesTheErrorReportWithoutTilesOrUpdateCheck()
    {
        auto bar = unshownBar(QByteArray(), 1);
        QVERIFY(bar);
        QVERIFY_THROWS_EXCEPTION(kovalt::Error, bar->show());
        QVERIFY(kovalt::Tiles().ServerMode);
        QCOMPARE(kovalt::Tiles().Count, 0);
        QVERIFY(!kovalt::Tiles().Panels[1]);
        QVERIFY(!bar->Timer1->isActive());
        QVERIFY(bar->JvProgressBar1->isHidden());
    }

    void doubleClickBeforeReady_andSingleClicks_doNothing()
    {
        const QByteArray settings = ansi(settingsWith(block("Alfa", 1, true) + block("Beta", 2, false)));
        auto bar = serverBar(settings, 60000);
        QVERIFY(bar);
        QVERIFY(!bar->Ready());
        doubleClickTile(2);
        QCOMPARE(readBytes(settingsPath()), settings);
        QVERIFY(kovalt::Tiles().ServerMode);
        QVERIFY(MessageBox::shown().isEmpty());

        bar->Timer1->setInterval(1);
        bar->Timer1->start();
        QTRY_VERIFY(bar->Ready());
        QTest::mouseClick(kovalt::Tiles().Panels[2], Qt::LeftButton);
        QTest::mouseClick(kovalt::Tiles().Captions[2], Qt::LeftButton);
        QTest::mouseClick(kovalt::Tiles().Icons[2], Qt::LeftButton);
        QCOMPARE(readBytes(settingsPath()), settings);
        QVERIFY(kovalt::Tiles().ServerMode);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void doubleClickOnAnyPartOfTheTile_activates_data()
    {
        QTest::addColumn<QString>("part");
        QTest::newRow("panel") << "panel";
        QTest::newRow("heading") << "heading";
        QTest::newRow("caption label") << "caption";
        QTest::newRow("number picture") << "number";
    }

    void doubleClickOnAnyPartOfTheTile_activates()
    {
        QFETCH(QString, part);
        const MariaDbInfo db = fixture();
        QVERIFY(db.valid());
        const QStringList alfa = dbBlock("Alfa", true, db, closedPort());
        const QStringList beta = dbBlock("Beta", false, db, db.port);
        auto bar = readyServerBar(ansi(settingsWith(alfa + beta)));
        QVERIFY(bar);
        const auto& tiles = kovalt::Tiles();
        if (part == "panel")
            QTest::mouseDClick(tiles.Panels[2], Qt::LeftButton, {}, QPoint(150, 38));
        else if (part == "heading")
            QTest::mouseDClick(tiles.Panels[2], Qt::LeftButton, {}, QPoint(15, 10));
        else if (part == "caption")
            QTest::mouseDClick(tiles.Captions[2], Qt::LeftButton);
        else
            QTest::mouseDClick(tiles.Icons[2], Qt::LeftButton);
        const QStringList after = settingsWith(toggled(alfa, false) + toggled(beta, true));
        QCOMPARE(kovalt::ReadTextFile(settingsPath()).lines, after);
        verifyModuleMode(bar.get());
    }

    void failedConnection_showsTheNoticeAndServerModeStaysWithTheRewrittenFile()
    {
        const MariaDbInfo db = fixture();
        QVERIFY(db.valid());
        const QStringList alfa = dbBlock("Alfa", true, db, db.port);
        const QStringList beta = dbBlock("Beta", false, db, closedPort());
        const QStringList original = settingsWith(alfa + beta);
        auto bar = readyServerBar(ansi(original));
        QVERIFY(bar);
        auto& tiles = kovalt::Tiles();
        const QPointer<kovalt::GradientPanel> alfaTile = tiles.Panels[1];
        doubleClickTile(2);

        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown& notice = MessageBox::shown().first();
        QCOMPARE(notice.title, QString("Kovalt05"));
        QCOMPARE(notice.text, QString("Se serverem SQL (BETA) se nelze spojit!"));
        QCOMPARE(notice.buttons, QStringList{"OK"});
        QCOMPARE(notice.icon, MessageBox::Icon::Error);
        // The file names Beta now; the tiles still show the server active at the start.
        const QStringList rewritten = kovalt::ReadTextFile(settingsPath()).lines;
        QCOMPARE(rewritten, settingsWith(toggled(alfa, false) + toggled(beta, true)));
        QCOMPARE(bar->SettingsLines, rewritten);
        QCOMPARE(bar->LogonLines, rewritten.mid(1, 12));
        QVERIFY(tiles.ServerMode);
        QVERIFY(!tiles.Connected);
        QCOMPARE(tiles.Panels[1].data(), alfaTile.data());
        QCOMPARE(alfaTile->FrameColor(), QColor(255, 0, 0));
        QCOMPARE(tiles.Panels[2]->FrameColor(), QColor(0, 0, 0));
        QVERIFY(bar->isVisible());

        // The next activation works on the file as it is now written.
        doubleClickTile(1);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(kovalt::ReadTextFile(settingsPath()).lines, original);
        verifyModuleMode(bar.get());
    }

    void activatingTheActiveServer_rewritesTheFileAndTestsAgain()
    {
        const MariaDbInfo db = fixture();
        QVERIFY(db.valid());
        const QStringList alfa = dbBlock("Alfa", true, db, db.port);
        const QStringList beta = dbBlock("Beta", false, db, closedPort());
        auto bar = readyServerBar(ansi(settingsWith(QStringList{""} + alfa + QStringList{""} + beta + QStringList{""})));
        QVERIFY(bar);
        doubleClickTile(1);
        // The empty line that ends Alfa's block stays; the ones outside it become ";".
        QCOMPARE(kovalt::ReadTextFile(settingsPath()).lines,
                 settingsWith(QStringList{";"} + alfa + QStringList{""} + beta + QStringList{";"}));
        QVERIFY(MessageBox::shown().isEmpty());
        verifyModuleMode(bar.get());
    }

    void unwritableSettingsFile_isReportedAndNothingElseHappens()
    {
        const MariaDbInfo db = fixture();
        QVERIFY(db.valid());
        const QByteArray settings =
            ansi(settingsWith(dbBlock("Alfa", true, db, db.port) + dbBlock("Beta", false, db, closedPort())));
        auto bar = readyServerBar(settings);
        QVERIFY(bar);
        const QStringList lines = bar->SettingsLines;
        const QStringList logon = bar->LogonLines;
        // Read-only, as the read-only attribute makes it.
        QVERIFY(QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        doubleClickTile(2);

        // One general error report naming the file, and no connection notice.
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown& report = MessageBox::shown().first();
        QCOMPARE(report.icon, MessageBox::Icon::Error);
        QCOMPARE(report.title, QString("Tst_servermode"));
        QVERIFY2(report.text.contains(QDir::toNativeSeparators(settingsPath())), qPrintable(report.text));
        QVERIFY(report.text.endsWith('.'));
        QCOMPARE(readBytes(settingsPath()), settings);
        QCOMPARE(bar->SettingsLines, lines);
        QCOMPARE(bar->LogonLines, logon);
        QVERIFY(kovalt::Tiles().ServerMode);
        QVERIFY(!kovalt::Tiles().Connected);
        QVERIFY(kovalt::Tiles().Panels[2]);

        // Writable again: the same double click activates Beta, whose port is closed.
        QVERIFY(QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::WriteOwner));
        doubleClickTile(2);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown().last().text, QString("Se serverem SQL (BETA) se nelze spojit!"));
        QVERIFY(kovalt::Tiles().ServerMode);
    }
};

QTEST_MAIN(TestServerMode)
#include "tst_servermode.moc"
