#include "app/placementstore.h"
#include "util/error.h"
#include "util/fileutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kovalt;

namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString DataFile(const QString& name) {
    return qEnvironmentVariable("KOVALT_TEST_DATA") + QStringLiteral("/placement/") + name;
}

// INI text written with CR LF line ends.
void WriteIni(const QString& path, const QString& text) {
    QByteArray bytes = text.toLatin1();
    bytes.replace("\n", "\r\n");
    WriteFileAtomic(path, bytes);
}

WindowSnapshot Snapshot(QSize screen, int dpi, QRect geometry, Qt::WindowStates state = Qt::WindowNoState) {
    WindowSnapshot w;
    w.screenSize = screen;
    w.pixelsPerInch = dpi;
    w.normalGeometry = geometry;
    w.state = state;
    return w;
}

const QSize kFullHd(1920, 1080);
const QRect kBar(40, 52, 230, 975);

} // namespace

class TestPlacementStore : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    void restore_appliesStoredLeftAndTop_data();
    void restore_appliesStoredLeftAndTop();
    void restore_afterSaveOnOtherScreen_usesLastSavedPosition();
    void save_beforeRestore_writesNothing();
    void firstClose_appendsSectionAndKeepsEveryOtherByte();
    void save_writesShowStateOfWindow_data();
    void save_writesShowStateOfWindow();
    void saveOnDestroy_onlyWhenNotSavedSinceRestore_data();
    void saveOnDestroy_onlyWhenNotSavedSinceRestore();
    void readAppearance_takesLowByteOfOpacity_data();
    void readAppearance_takesLowByteOfOpacity();
    void storeFile_matchesProgramNameWithoutCase_data();
    void storeFile_matchesProgramNameWithoutCase();
    void switchedStore_readsSettingsSectionThenOwnAgain();
    void closeSequence_writesAppearanceOnlyOnceApplied_data();
    void closeSequence_writesAppearanceOnlyOnceApplied();
    void closeSequence_unwritableStore_reportsOnceAndCloses();

private:
    QString Path(const QString& name) const { return m_dir->path() + u'/' + name; }
    PlacementStore Store(const QString& program = QStringLiteral("kovalt05.exe")) const {
        return PlacementStore(m_dir->path(), program);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPlacementStore::restore_appliesStoredLeftAndTop_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<QPoint>("topLeft");

    const QString twoScreens = QStringLiteral("[TForm3]\nFormVersion=0\nPixelsPerInch=96\n"
                                              "MinMaxPos(1920x1080)=-1,-1,-1,-1\nMinMaxPos=-1,-1,-1,-1\n"
                                              "NormPos(1920x1080)=700,52,930,1027\nNormPos=300,40,530,1015\n");
    QTest::newRow("screen without own key: unsuffixed NormPos")
        << twoScreens << QSize(1280, 1024) << 96 << true << QPoint(300, 40);
    QTest::newRow("screen with own key: suffixed NormPos") << twoScreens << kFullHd << 96 << true << QPoint(700, 52);
    QTest::newRow("suffixed key empty: unsuffixed NormPos")
        << QStringLiteral("[TForm3]\nNormPos(1920x1080)=\nNormPos=300,40,530,1015\n") << kFullHd << 96 << true
        << QPoint(300, 40);
    QTest::newRow("PixelsPerInch 120 on a 96 screen: ignored")
        << QStringLiteral("[TForm3]\nPixelsPerInch=120\nNormPos=300,40,530,1015\n") << kFullHd << 96 << false
        << QPoint();
    QTest::newRow("PixelsPerInch missing: the current one counts")
        << QStringLiteral("[TForm3]\nNormPos=300,40,530,1015\n") << kFullHd << 120 << true << QPoint(300, 40);
    QTest::newRow("NormPos 100,200: left 100, top 200")
        << QStringLiteral("[TForm3]\nNormPos=100,200\n") << kFullHd << 96 << true << QPoint(100, 200);
    QTest::newRow("words separated by blanks")
        << QStringLiteral("[TForm3]\nNormPos=100 200  330 1175\n") << kFullHd << 96 << true << QPoint(100, 200);
    QTest::newRow("unreadable left keeps the current left")
        << QStringLiteral("[TForm3]\nNormPos=abc,200,0,0\n") << kFullHd << 96 << true << QPoint(kBar.left(), 200);
    QTest::newRow("MinMaxPos alone: the bar stays")
        << QStringLiteral("[TForm3]\nMinMaxPos=-1,-1,-1,-1\n") << kFullHd << 96 << true << kBar.topLeft();
    QTest::newRow("FormVersion -1: nothing applied")
        << QStringLiteral("[TForm3]\nFormVersion=-1\nNormPos=300,40,530,1015\n") << kFullHd << 96 << false << QPoint();
    QTest::newRow("key names without regard to case")
        << QStringLiteral("[tform3]\nnormpos=300,40,530,1015\n") << kFullHd << 96 << true << QPoint(300, 40);
    QTest::newRow("position keys of another section")
        << QStringLiteral("[LogON]\nNormPos=300,40,530,1015\n") << kFullHd << 96 << false << QPoint();
    QTest::newRow("no file: defaults") << QString() << kFullHd << 96 << false << QPoint();
}

void TestPlacementStore::restore_appliesStoredLeftAndTop() {
    QFETCH(QString, ini);
    QFETCH(QSize, screen);
    QFETCH(int, dpi);
    QFETCH(bool, applied);
    QFETCH(QPoint, topLeft);

    if (!ini.isNull()) WriteIni(Path(QStringLiteral("kovalt05.ini")), ini);
    PlacementStore store = Store();
    const std::optional<QPoint> result = store.RestorePosition(Snapshot(screen, dpi, kBar));
    QCOMPARE(result.has_value(), applied);
    if (applied) QCOMPARE(*result, topLeft);
    QVERIFY(store.IsRestored());
    if (ini.isNull()) {
        QCOMPARE(store.ReadAppearance().opacity, 255);
        QCOMPARE(store.ReadAppearance().textColour, 16777215);
        QVERIFY(!QFileInfo::exists(Path(QStringLiteral("kovalt05.ini"))));
    }
}

void TestPlacementStore::restore_afterSaveOnOtherScreen_usesLastSavedPosition() {
    PlacementStore first = Store();
    first.RestorePosition(Snapshot(kFullHd, 96, kBar));
    QVERIFY(first.SavePosition(Snapshot(kFullHd, 96, QRect(600, 30, 230, 975)), false));

    // A smaller screen, a bar of another height: the position comes back, the size stays.
    PlacementStore second = Store();
    const auto result = second.RestorePosition(Snapshot(QSize(1280, 1024), 96, QRect(0, 24, 230, 940)));
    QCOMPARE(result, std::optional<QPoint>(QPoint(600, 30)));
    QVERIFY(second.SavePosition(Snapshot(QSize(1280, 1024), 96, QRect(600, 30, 230, 940)), false));
    QCOMPARE(second.ReadString(QStringLiteral("NormPos(1280x1024)"), {}), QStringLiteral("600,30,830,970"));
    QCOMPARE(second.ReadString(QStringLiteral("NormPos(1920x1080)"), {}), QStringLiteral("600,30,830,1005"));
    QCOMPARE(second.ReadString(QStringLiteral("NormPos"), {}), QStringLiteral("600,30,830,970"));
}

void TestPlacementStore::save_beforeRestore_writesNothing() {
    const QString path = Path(QStringLiteral("kovalt05.ini"));
    QVERIFY(QFile::copy(DataFile(QStringLiteral("kovalt05.ini")), path));
    PlacementStore store = Store();
    QVERIFY(!store.SavePosition(Snapshot(kFullHd, 96, kBar), false));
    const CloseReport destroyed = store.SaveOnDestroy(Snapshot(kFullHd, 96, kBar));
    QVERIFY(!destroyed.positionSaved);
    QCOMPARE(ReadBytes(path), ReadBytes(DataFile(QStringLiteral("kovalt05.ini"))));
}

void TestPlacementStore::firstClose_appendsSectionAndKeepsEveryOtherByte() {
    const QString path = Path(QStringLiteral("kovalt05.ini"));
    QVERIFY(QFile::copy(DataFile(QStringLiteral("kovalt05.ini")), path));
    PlacementStore store = Store();
    QVERIFY(!store.RestorePosition(Snapshot(kFullHd, 96, kBar)));
    store.MarkAppearanceApplied();
    const CloseReport report = store.CloseSequence(Snapshot(kFullHd, 96, kBar), 120, 0);
    QVERIFY(report.failure.isEmpty());
    QVERIFY(report.positionSaved);
    QVERIFY(report.appearanceWritten);
    const QByteArray expected = ReadBytes(DataFile(QStringLiteral("kovalt05-closed.ini")));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(ReadBytes(path), expected);

    // The next run: the keys change in place, nothing is added.
    PlacementStore next = Store();
    QCOMPARE(next.RestorePosition(Snapshot(kFullHd, 96, QRect(0, 52, 230, 975))),
             std::optional<QPoint>(QPoint(40, 52)));
    next.MarkAppearanceApplied();
    QVERIFY(next.CloseSequence(Snapshot(kFullHd, 96, QRect(0, 10, 230, 975)), 255, 16777215).failure.isEmpty());
    QByteArray moved = expected;
    moved.replace("40,52,270,1027", "0,10,230,985");
    moved.replace("AlphaBlendValue=120", "AlphaBlendValue=255");
    moved.replace("FontColor=0", "FontColor=16777215");
    QCOMPARE(ReadBytes(path), moved);
}

void TestPlacementStore::save_writesShowStateOfWindow_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("showCmd");
    QTest::newRow("normal") << int(Qt::WindowNoState) << 1;
    QTest::newRow("minimised") << int(Qt::WindowMinimized) << 2;
    QTest::newRow("maximised") << int(Qt::WindowMaximized) << 3;
    QTest::newRow("minimised from maximised") << int(Qt::WindowMinimized | Qt::WindowMaximized) << 2;
}

void TestPlacementStore::save_writesShowStateOfWindow() {
    QFETCH(int, state);
    QFETCH(int, showCmd);
    PlacementStore store = Store();
    store.RestorePosition(Snapshot(kFullHd, 96, kBar));
    QVERIFY(store.SavePosition(Snapshot(kFullHd, 96, kBar, Qt::WindowStates(state)), false));
    QCOMPARE(store.ReadInteger(QStringLiteral("ShowCmd"), -5), showCmd);
    QCOMPARE(store.ReadString(QStringLiteral("NormPos"), {}), QStringLiteral("40,52,270,1027"));
}

void TestPlacementStore::saveOnDestroy_onlyWhenNotSavedSinceRestore_data() {
    QTest::addColumn<bool>("closeFirst");
    QTest::addColumn<bool>("restoreAgain");
    QTest::addColumn<bool>("saved");
    QTest::newRow("installer hand-off: no close, saved at destruction") << false << false << true;
    QTest::newRow("closed before: not saved again") << true << false << false;
    QTest::newRow("restored after the close: saved again") << true << true << true;
}

void TestPlacementStore::saveOnDestroy_onlyWhenNotSavedSinceRestore() {
    QFETCH(bool, closeFirst);
    QFETCH(bool, restoreAgain);
    QFETCH(bool, saved);
    PlacementStore store = Store();
    store.RestorePosition(Snapshot(kFullHd, 96, kBar));
    if (closeFirst) QVERIFY(store.CloseSequence(Snapshot(kFullHd, 96, kBar), 255, 16777215).positionSaved);
    if (restoreAgain) store.RestorePosition(Snapshot(kFullHd, 96, kBar));
    const CloseReport report = store.SaveOnDestroy(Snapshot(kFullHd, 96, QRect(5, 6, 230, 975)));
    QCOMPARE(report.positionSaved, saved);
    QVERIFY(report.failure.isEmpty());
    QCOMPARE(store.ReadInteger(QStringLiteral("Visible"), -1), saved ? 1 : 0);
    QCOMPARE(store.ReadString(QStringLiteral("NormPos"), {}),
             saved ? QStringLiteral("5,6,235,981") : QStringLiteral("40,52,270,1027"));
}

void TestPlacementStore::readAppearance_takesLowByteOfOpacity_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("opacity");
    QTest::addColumn<int>("colour");
    QTest::newRow("300 gives 44") << QStringLiteral("AlphaBlendValue=300\nFontColor=0\n") << 44 << 0;
    QTest::newRow("-1 gives 255") << QStringLiteral("AlphaBlendValue=-1\n") << 255 << 16777215;
    QTest::newRow("256 gives 0") << QStringLiteral("AlphaBlendValue=256\n") << 0 << 16777215;
    QTest::newRow("0 stays 0, invisible") << QStringLiteral("AlphaBlendValue=0\n") << 0 << 16777215;
    QTest::newRow("not a number: defaults")
        << QStringLiteral("AlphaBlendValue=half\nFontColor=white\n") << 255 << 16777215;
    QTest::newRow("keys missing: defaults") << QStringLiteral("Flags=0\n") << 255 << 16777215;
}

void TestPlacementStore::readAppearance_takesLowByteOfOpacity() {
    QFETCH(QString, section);
    QFETCH(int, opacity);
    QFETCH(int, colour);
    WriteIni(Path(QStringLiteral("kovalt05.ini")), QStringLiteral("[LogON]\nAlphaBlendValue=7\n[TForm3]\n") + section);
    const Appearance appearance = Store().ReadAppearance();
    QCOMPARE(appearance.opacity, opacity);
    QCOMPARE(appearance.textColour, colour);
}

void TestPlacementStore::storeFile_matchesProgramNameWithoutCase_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("used");
    QTest::newRow("kovalt05.INI exists") << QStringList{QStringLiteral("kovalt05.INI")}
                                         << QStringLiteral("kovalt05.INI");
    QTest::newRow("other spelling exists")
        << QStringList{QStringLiteral("KOVALT05.Ini")} << QStringLiteral("KOVALT05.Ini");
    QTest::newRow("both spellings: the settings file")
        << QStringList{QStringLiteral("kovalt05.INI"), QStringLiteral("kovalt05.ini")}
        << QStringLiteral("kovalt05.ini");
    QTest::newRow("neither: kovalt05.ini is made")
        << QStringList{QStringLiteral("kovalt05.exe")} << QStringLiteral("kovalt05.ini");
}

void TestPlacementStore::storeFile_matchesProgramNameWithoutCase() {
    QFETCH(QStringList, existing);
    QFETCH(QString, used);
    for (const QString& name : existing)
        WriteIni(Path(name), QStringLiteral("[LogON]\nIP=1.2.3.4\n"));
    PlacementStore store = Store();
    QCOMPARE(store.FilePath(), Path(used));
    store.WriteInteger(QStringLiteral("FontColor"), 0);

    QStringList expectedNames = existing;
    if (!expectedNames.contains(used)) expectedNames.append(used);
    expectedNames.sort();
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files, QDir::Name), expectedNames);
    QVERIFY(ReadBytes(Path(used)).endsWith("[TForm3]\r\nFontColor=0\r\n"));
    QCOMPARE(store.ReadInteger(QStringLiteral("FontColor"), -1), 0);
}

void TestPlacementStore::switchedStore_readsSettingsSectionThenOwnAgain() {
    // A program of another name keeps its own store; the switch reaches the settings file.
    WriteIni(Path(QStringLiteral("kovalt05.ini")), QStringLiteral("[LogON]\nIP=10.0.0.5\nSQLport=3307\n"));
    WriteIni(Path(QStringLiteral("bar.ini")), QStringLiteral("[LogON]\nIP=wrong file\n[TForm3]\nIP=own\n"));
    PlacementStore store = Store(QStringLiteral("bar.exe"));
    store.SetFileName(Path(QStringLiteral("kovalt05.ini")));
    store.SetSectionName(QStringLiteral("LogON"));
    QCOMPARE(store.ReadString(QStringLiteral("IP"), {}), QStringLiteral("10.0.0.5"));
    QCOMPARE(store.ReadInteger(QStringLiteral("SQLport"), 3306), 3307);
    QCOMPARE(store.ReadString(QStringLiteral("Database"), QStringLiteral("kovalt")), QStringLiteral("kovalt"));
    store.SetSectionName(QString());
    QCOMPARE(store.ReadString(QStringLiteral("IP"), QStringLiteral("none")), QStringLiteral("none"));
    store.SetFileName(QString());
    QCOMPARE(store.FilePath(), Path(QStringLiteral("bar.ini")));
    QCOMPARE(store.Section(), QStringLiteral("TForm3"));
    QCOMPARE(store.ReadString(QStringLiteral("IP"), {}), QStringLiteral("own"));

    // The settings file is the store itself for kovalt05.exe: only the section tells them apart.
    WriteIni(Path(QStringLiteral("kovalt05.ini")), QStringLiteral("[LogON]\nIP=10.0.0.5\n[TForm3]\nIP=own\n"));
    PlacementStore own = Store();
    own.SetFileName(Path(QStringLiteral("kovalt05.ini")));
    own.SetSectionName(QStringLiteral("LogON"));
    QCOMPARE(own.ReadString(QStringLiteral("IP"), {}), QStringLiteral("10.0.0.5"));
    own.SetSectionName(QString());
    own.SetFileName(QString());
    QCOMPARE(own.ReadString(QStringLiteral("IP"), {}), QStringLiteral("own"));
}

void TestPlacementStore::closeSequence_writesAppearanceOnlyOnceApplied_data() {
    QTest::addColumn<bool>("applied");
    QTest::newRow("failed start, stored values never applied: kept") << false;
    QTest::newRow("stored values applied: the bar's written") << true;
}

void TestPlacementStore::closeSequence_writesAppearanceOnlyOnceApplied() {
    QFETCH(bool, applied);
    WriteIni(
        Path(QStringLiteral("kovalt05.ini")),
        QStringLiteral("[LogON]\nIP=1.2.3.4\n[TForm3]\nNormPos=300,40,530,1015\nAlphaBlendValue=120\nFontColor=0\n"));
    PlacementStore store = Store();
    QCOMPARE(store.RestorePosition(Snapshot(kFullHd, 96, kBar)), std::optional<QPoint>(QPoint(300, 40)));
    if (applied) {
        const Appearance stored = store.ReadAppearance();
        QCOMPARE(stored.opacity, 120);
        store.MarkAppearanceApplied();
    }
    const CloseReport report = store.CloseSequence(Snapshot(kFullHd, 96, QRect(300, 40, 230, 975)), 255, 16777215);
    QVERIFY(report.failure.isEmpty());
    QVERIFY(report.positionSaved);
    QCOMPARE(report.appearanceWritten, applied);
    QCOMPARE(store.ReadString(QStringLiteral("NormPos"), {}), QStringLiteral("300,40,530,1015"));
    QCOMPARE(store.ReadString(QStringLiteral("NormPos(1920x1080)"), {}), QStringLiteral("300,40,530,1015"));
    QCOMPARE(store.ReadInteger(QStringLiteral("AlphaBlendValue"), -1), applied ? 255 : 120);
    QCOMPARE(store.ReadInteger(QStringLiteral("FontColor"), -1), applied ? 16777215 : 0);
}

void TestPlacementStore::closeSequence_unwritableStore_reportsOnceAndCloses() {
    // A directory in the store's place refuses every write, even to root.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("kovalt05.ini")));
    const QString message =
        QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(Path(QStringLiteral("kovalt05.ini"))));
    PlacementStore store = Store();
    QVERIFY(!store.RestorePosition(Snapshot(kFullHd, 96, kBar)));
    QCOMPARE(store.ReadAppearance().opacity, 255);
    store.MarkAppearanceApplied();

    try {
        store.WriteInteger(QStringLiteral("FontColor"), 0);
        QFAIL("the write did not fail");
    } catch (const Error& e) {
        QCOMPARE(e.message(), message);
    }

    const CloseReport closed = store.CloseSequence(Snapshot(kFullHd, 96, kBar), 120, 0);
    QCOMPARE(closed.failure, message);
    QVERIFY(!closed.positionSaved);
    QVERIFY(!closed.appearanceWritten);
    const CloseReport destroyed = store.SaveOnDestroy(Snapshot(kFullHd, 96, kBar));
    QVERIFY(!destroyed.positionSaved);
    QVERIFY2(destroyed.failure.isEmpty(), "the failure is reported a second time");
    QVERIFY(store.SaveOnSessionEnd(Snapshot(kFullHd, 96, kBar)).failure.isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("kovalt05.ini")});
}

QTEST_GUILESS_MAIN(TestPlacementStore)
#include "tst_placementstore.moc"
