#include "modules/icons.h"
#include "modules/modulelist.h"
#include "modules/moduletile.h"
#include "util/codepage.h"
#include "util/error.h"
#include "util/fileutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace kovalt;

namespace {
void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void SetModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

QDateTime Modified(const QString& path) {
    return QFileInfo(path).lastModified();
}
} // namespace

class TestModuleList : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_dir;

    void Reset() {
        QVERIFY(m_tmp.isValid());
        QDir dir(m_tmp.path());
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
            QVERIFY(dir.remove(name));
        m_dir = QDir::toNativeSeparators(m_tmp.path()) + QDir::separator();
    }

private slots:
    void init() { Reset(); }

    void cestaProgramu_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("path");
        QTest::newRow("no quote: whole command") << "C:\\k\\a.exe"
                                                 << "C:\\k\\a.exe";
        QTest::newRow("quoted arguments follow") << "C:\\k\\a.exe\" \"/x"
                                                 << "C:\\k\\a.exe";
        QTest::newRow("leading quote: empty") << "\"C:\\k\\a.exe"
                                              << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void cestaProgramu() {
        QFETCH(QString, command);
        QFETCH(QString, path);
        QCOMPARE(CestaProgramu(command), path);
    }

    void read_sampleFileKeepsExistingProgramsInSectionOrder() {
        QFile::copy(QString::fromLocal8Bit(qgetenv("KOVALT_TEST_DATA")) + "/modules/moduly.ini", m_dir + "moduly.ini");
        for (const char* program : {"ucto.exe", "sklad.exe", "jedna.exe"})
            WriteBytes(m_dir + program, "MZ");
        TileList list;
        list.Count = 9;
        NactiModuly(list, m_dir);
        // Section 03 lacks its program and section "1" is never looked for.
        QCOMPARE(list.Count, 2);
        QCOMPARE(list.Names[1], QStringLiteral("Účetnictví"));
        QCOMPARE(list.Commands[1], m_dir + "ucto.exe");
        QCOMPARE(list.Descriptions[1], QStringLiteral("Hlavní kniha"));
        QCOMPARE(list.Names[2], QStringLiteral("Sklad"));
        QCOMPARE(list.Commands[2], m_dir + "sklad.exe");
        QCOMPARE(list.Descriptions[2], QStringLiteral("Skladová evidence"));
    }

    void read_rules_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QStringList>("expected"); // name|command|description, {dir} for the program dir

        QTest::newRow("sections 01 03 07, program of 03 missing")
            << "[07]\nModulnazev=G\nModulexe={path}g.exe\n[03]\nModulnazev=C\nModulexe={path}c.exe\n"
               "[01]\nModulnazev=A\nModulexe={path}a.exe\nModulpopis=first\n"
            << QStringList{"a.exe", "g.exe"} << QStringList{"A|{dir}a.exe|first", "G|{dir}g.exe|"};
        QTest::newRow("one-digit section not read, 01 is")
            << "[1]\nModulnazev=One\nModulexe={path}a.exe\n[01]\nModulnazev=A\nModulexe={path}a.exe\n"
            << QStringList{"a.exe"} << QStringList{"A|{dir}a.exe|"};
        QTest::newRow("sections 51 and 00 not read")
            << "[51]\nModulnazev=X\nModulexe={path}a.exe\n[00]\nModulnazev=Y\nModulexe={path}a.exe\n"
            << QStringList{"a.exe"} << QStringList{};
        QTest::newRow("section 50 read") << "[50]\nModulnazev=Z\nModulexe={path}a.exe\n"
                                         << QStringList{"a.exe"} << QStringList{"Z|{dir}a.exe|"};
        QTest::newRow("empty Modulnazev taken") << "[01]\nModulnazev=\nModulexe={path}a.exe\nModulpopis=d\n"
                                                << QStringList{"a.exe"} << QStringList{"|{dir}a.exe|d"};
        QTest::newRow("no Modulnazev key skipped") << "[01]\nModulexe={path}a.exe\n"
                                                   << QStringList{"a.exe"} << QStringList{};
        QTest::newRow("empty Modulexe skipped") << "[01]\nModulnazev=A\nModulexe=\n"
                                                << QStringList{"a.exe"} << QStringList{};
        QTest::newRow("key names in any case") << "[01]\nMODULNAZEV=A\nmodulexe={path}a.exe\nModulPopis=d\n"
                                               << QStringList{"a.exe"} << QStringList{"A|{dir}a.exe|d"};
        QTest::newRow("placeholder in capitals and mixed case")
            << "[01]\nModulnazev=A\nModulexe={PATH}a.exe\n[02]\nModulnazev=B\nModulexe={Path}b.exe\n"
            << QStringList{"a.exe", "b.exe"} << QStringList{"A|{dir}a.exe|", "B|{dir}b.exe|"};
        QTest::newRow("placeholder in the arguments, value in double quotes")
            << "[01]\nModulnazev=A\nModulexe=\"{path}a.exe\" \"{pAtH}data.txt\"\n"
            << QStringList{"a.exe"} << QStringList{"A|{dir}a.exe\" \"{dir}data.txt|"};
        QTest::newRow("value in double quotes loses that pair")
            << "[01]\nModulnazev=\"Modul A\"\nModulexe=\"{path}a.exe\"\nModulpopis='popis'\n"
            << QStringList{"a.exe"} << QStringList{"Modul A|{dir}a.exe|popis"};
        QTest::newRow("leading double quote without closing one: no program")
            << "[01]\nModulnazev=A\nModulexe=\"{path}a.exe /x\n"
            << QStringList{"a.exe"} << QStringList{};
        QTest::newRow("values trimmed, comments and other keys ignored")
            << "[01]\n;Modulnazev=Old\nModulnazev=  A  \nOther=1\nModulexe=  {path}a.exe \n"
            << QStringList{"a.exe"} << QStringList{"A|{dir}a.exe|"};
        QTest::newRow("missing file") << QString() << QStringList{"a.exe"} << QStringList{};
    }
    void read_rules() {
        QFETCH(QString, ini);
        QFETCH(QStringList, programs);
        QFETCH(QStringList, expected);
        if (!ini.isNull()) WriteBytes(m_dir + "moduly.ini", EncodeAnsi(ini));
        for (const QString& program : programs)
            WriteBytes(m_dir + program, "MZ");
        QList<ModuleEntry> want;
        for (const QString& row : expected) {
            const QStringList f = QString(row).replace("{dir}", m_dir).split(u'|');
            want.append({f[0], f[1], f[2]});
        }
        QCOMPARE(ReadModuleList(m_dir), want);
    }

    void read_directoryWithProgramNameIsNoProgram() {
        WriteBytes(m_dir + "moduly.ini", "[01]\r\nModulnazev=A\r\nModulexe={path}sub\r\n");
        QVERIFY(QDir(m_dir).mkdir("sub"));
        QCOMPARE(ReadModuleList(m_dir).size(), 0);
    }

    void write_fileFormatAndReadBack() {
        for (const char* program : {"a.exe", "b.exe"})
            WriteBytes(m_dir + program, "MZ");
        TileList list;
        list.Count = 2;
        list.Names[1] = QStringLiteral("Účetnictví");
        list.Commands[1] = m_dir + "a.exe\" \"" + m_dir + "x.txt";
        list.Descriptions[1] = QStringLiteral("Hlavní kniha");
        list.Names[2] = "B";
        list.Commands[2] = m_dir + "b.exe";
        list.Names[3] = "beyond Count";
        const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
        UlozModuly(list, m_dir, when);

        const QByteArray expected =
            EncodeCp1250(QStringLiteral("[01]\r\nModulnazev=Účetnictví\r\nModulexe=") + m_dir + "a.exe\" \"" + m_dir +
                         QStringLiteral("x.txt\r\nModulpopis=Hlavní kniha\r\n"
                                        "[02]\r\nModulnazev=B\r\nModulexe=") +
                         m_dir + "b.exe\r\nModulpopis=\r\n;2026-03-04 05:06:07\r\n");
        QCOMPARE(ReadBytes(m_dir + "moduly.ini"), expected);

        TileList back;
        NactiModuly(back, m_dir);
        QCOMPARE(back.Count, 2);
        for (int k = 1; k <= 2; ++k) {
            QCOMPARE(back.Names[k], list.Names[k]);
            QCOMPARE(back.Commands[k], list.Commands[k]);
            QCOMPARE(back.Descriptions[k], list.Descriptions[k]);
        }
    }

    void write_unlaunchableModuleKeepsItsCommandThroughRotation() {
        WriteBytes(m_dir + "moduly.ini", "[01]\r\nModulnazev=A\r\nModulexe={path}a.exe\r\n"
                                         "[02]\r\nModulnazev=B\r\nModulexe=\"{path}b.exe\" \"/x\"\r\n"
                                         "[03]\r\nModulnazev=C\r\nModulexe={path}c.exe\r\n");
        for (const char* program : {"a.exe", "b.exe", "c.exe"})
            WriteBytes(m_dir + program, "MZ");
        TileList list;
        NactiModuly(list, m_dir);
        QCOMPARE(list.Count, 3);
        // Its icon could not be taken: no command for this run.
        MarkUnlaunchable(list, 2);
        RotateSlots(list, 2, 3);
        QCOMPARE(list.Names[3], QStringLiteral("B"));
        QVERIFY(list.Commands[3].isEmpty());
        UlozModuly(list, m_dir, QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)));
        const QList<ModuleEntry> back = ReadModuleList(m_dir);
        const QList<ModuleEntry> want{
            {"A", m_dir + "a.exe", ""}, {"C", m_dir + "c.exe", ""}, {"B", m_dir + "b.exe\" \"/x", ""}};
        QCOMPARE(back, want);
        // The slot itself stays unlaunchable.
        QVERIFY(list.Commands[3].isEmpty());
    }

    void write_backupsAfterFirstAndSecondWrite() {
        const QString ini = m_dir + "moduly.ini";
        const QByteArray original = "; original\r\n[05]\r\nModulnazev=Old\r\nModulexe=old.exe\r\n";
        WriteBytes(ini, original);
        SetModified(ini, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        TileList list;
        list.Count = 1;
        list.Names[1] = "A";
        list.Commands[1] = "a.exe";

        UlozModuly(list, m_dir, QDateTime(QDate(2026, 1, 1), QTime(10, 0, 0)));
        QCOMPARE(ReadBytes(m_dir + "moduly.ori"), original);
        QCOMPARE(ReadBytes(m_dir + "moduly.old"), original);
        // The copies carry the source's time at two-second resolution.
        const QDateTime firstStamp(QDate(2024, 5, 6), QTime(7, 8, 8));
        QCOMPARE(Modified(m_dir + "moduly.ori"), firstStamp);
        QCOMPARE(Modified(m_dir + "moduly.old"), firstStamp);

        const QByteArray firstResult = ReadBytes(ini);
        QVERIFY(firstResult.endsWith(";2026-01-01 10:00:00\r\n"));
        SetModified(ini, QDateTime(QDate(2025, 2, 3), QTime(4, 5, 7)));
        list.Names[1] = "B";
        UlozModuly(list, m_dir, QDateTime(QDate(2026, 1, 1), QTime(11, 0, 0)));
        QCOMPARE(ReadBytes(m_dir + "moduly.ori"), original);
        QCOMPARE(Modified(m_dir + "moduly.ori"), firstStamp);
        QCOMPARE(ReadBytes(m_dir + "moduly.old"), firstResult);
        QCOMPARE(Modified(m_dir + "moduly.old"), QDateTime(QDate(2025, 2, 3), QTime(4, 5, 6)));
        QVERIFY(ReadBytes(ini).contains("Modulnazev=B\r\n"));
    }

    void write_withoutOldListMakesNoBackups() {
        TileList list;
        UlozModuly(list, m_dir, QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)));
        QVERIFY(!QFile::exists(m_dir + "moduly.ori"));
        QVERIFY(!QFile::exists(m_dir + "moduly.old"));
        QCOMPARE(ReadBytes(m_dir + "moduly.ini"), QByteArray(";2026-01-01 00:00:00\r\n"));
    }

    void write_failureNamesFileAndKeepsOldList() {
        const QString ini = m_dir + "moduly.ini";
        const QByteArray original = "[01]\r\nModulnazev=A\r\nModulexe=a.exe\r\n";
        WriteBytes(ini, original);
        QVERIFY(QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        TileList list;
        list.Count = 1;
        list.Names[1] = "B";
        try {
            UlozModuly(list, m_dir, QDateTime::currentDateTime());
            QFAIL("a read-only list was written");
        } catch (const Error& error) {
            QVERIFY2(error.message().contains(QDir::toNativeSeparators(ini)), qPrintable(error.message()));
        }
        QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(ReadBytes(ini), original);
        // The backups were made before the write failed.
        QCOMPARE(ReadBytes(m_dir + "moduly.old"), original);
    }
};

QTEST_GUILESS_MAIN(TestModuleList)
#include "tst_modulelist.moc"
