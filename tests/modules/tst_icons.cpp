#include "modules/icons.h"
#include "modules/tilewidgets.h"

#include "util/fileutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace kovalt;

namespace {
void Touch(const QString& path, const QByteArray& bytes = "MZ") {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

QImage Square(int side, QColor color) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QString WithSeparator(const QString& dir) {
    return QDir::toNativeSeparators(dir) + QDir::separator();
}

// A folder nobody may write to, root included: a read-only tmpfs for root, no write bits
// otherwise, and where mounting is not allowed a procfs folder, which takes no new files.
class ReadOnlyDir {
public:
    explicit ReadOnlyDir(const QString& base, const QByteArray& staleIcon) {
        m_path = base + "/ro";
        QDir().mkpath(m_path);
#ifndef Q_OS_WIN
        if (geteuid() == 0) {
            if (::mount("kovalt-ro", m_path.toLocal8Bit().constData(), "tmpfs", 0, "size=1m") == 0) {
                m_mountPoint = m_path;
                Touch(m_path + "/icn.ico", staleIcon);
                if (::mount(nullptr, m_path.toLocal8Bit().constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0)
                    return;
            }
            m_path = "/proc/self";
            m_staleIcon = false;
            return;
        }
#endif
        Touch(m_path + "/icn.ico", staleIcon);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyDir() {
#ifndef Q_OS_WIN
        if (!m_mountPoint.isEmpty()) ::umount2(m_mountPoint.toLocal8Bit().constData(), MNT_DETACH);
#endif
        if (!m_path.startsWith("/proc"))
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString Path() const {
        return m_path;
    }
    bool HasStaleIcon() const {
        return m_staleIcon;
    }

private:
    QString m_path;
    QString m_mountPoint;
    bool m_staleIcon = true;
};

struct Tile {
    TileCaption caption;
    TileImage image;
};
} // namespace

class TestIcons : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_dir;
    QList<Tile*> m_tiles;

    // Slots 1 to n with programs p1.exe ... in the program directory, captions and pictures.
    TileList Column(int n, const QString& missing = QString()) {
        TileList list;
        for (int j = 1; j <= n; ++j) {
            const QString program = QStringLiteral("p%1.exe").arg(j);
            if (program != missing) Touch(m_dir + program);
            list.Commands[j] = m_dir + program + "\" \"-x";
            list.Names[j] = QStringLiteral("Modul %1").arg(j);
            list.Descriptions[j] = QStringLiteral("Popis %1").arg(j);
            auto* tile = new Tile;
            m_tiles << tile;
            tile->caption.setText(list.Descriptions[j]);
            tile->caption.setToolTip(list.Descriptions[j]);
            list.Captions[j] = &tile->caption;
            list.Icons[j] = &tile->image;
        }
        list.Count = n;
        return list;
    }

private slots:
    void init() {
        QVERIFY(m_tmp.isValid());
        QDir dir(m_tmp.path());
        dir.removeRecursively();
        QDir().mkpath(m_tmp.path());
        m_dir = WithSeparator(m_tmp.path());
    }
    void cleanup() {
        SetShellIconSource({});
        qDeleteAll(m_tiles);
        m_tiles.clear();
    }

    void bitmapFileFor_data() {
        QTest::addColumn<QString>("iconame");
        QTest::addColumn<QString>("bitmap");
        QTest::newRow("program dir") << "/opt/k/icn.ico"
                                     << "/opt/k/icn.bmp";
        QTest::newRow("directory holding .ico untouched") << "/opt/x.icons/icn.ico"
                                                          << "/opt/x.icons/icn.bmp";
        QTest::newRow("Windows separators, any case") << "C:\\a.ICO\\ICN.ICO"
                                                      << "C:\\a.ICO\\ICN.bmp";
        QTest::newRow("every occurrence in the name") << "/k/a.ico.ico"
                                                      << "/k/a.bmp.bmp";
    }
    void bitmapFileFor() {
        QFETCH(QString, iconame);
        QFETCH(QString, bitmap);
        QCOMPARE(BitmapFileFor(iconame), bitmap);
    }

    void desktopIcon_is32AndPassesThroughTemporaryFiles() {
        TileList list = Column(2);
        const int w = SirkaIkony(list, m_dir);
#ifndef Q_OS_WIN
        QCOMPARE(w, 32);
#else
        QVERIFY(w > 0);
#endif
        QVERIFY(QFile::exists(m_dir + "icn.ico"));
        QVERIFY(QFile::exists(m_dir + "icn.bmp"));
        for (int j = 1; j <= 2; ++j) {
            QVERIFY(NastavIkonu(list, j, m_dir));
            QCOMPARE(list.Icons[j]->Picture().size(), QSize(w, w));
            QCOMPARE(list.Commands[j], m_dir + QStringLiteral("p%1.exe\" \"-x").arg(j));
            QCOMPARE(list.Captions[j]->text(), list.Descriptions[j]);
        }
        QVERIFY(!QFile::exists(m_dir + "icn.ico"));
        QCOMPARE(QImage(m_dir + "icn.bmp", "bmp").size(), QSize(w, w));
    }

    void buildCache_stillPassesEveryTileThroughTheFiles() {
        // Every tile starts the same program, as in most columns.
        TileList list = Column(3);
        for (int j = 2; j <= 3; ++j) list.Commands[j] = list.Commands[1];
        const IconBuildCache cache;
        const int w = SirkaIkony(list, m_dir);
        QVERIFY(w > 0);
        QVERIFY(NastavIkonu(list, 1, m_dir));
        for (int j = 2; j <= 3; ++j) {
            // A stale icon file must go and the bitmap come back for this tile too.
            QVERIFY(QFile::remove(m_dir + "icn.bmp"));
            Touch(m_dir + "icn.ico", "stale");
            QVERIFY(NastavIkonu(list, j, m_dir));
            QVERIFY(!QFile::exists(m_dir + "icn.ico"));
            QCOMPARE(QImage(m_dir + "icn.bmp", "bmp").size(), QSize(w, w));
            QCOMPARE(list.Icons[j]->Picture(), list.Icons[1]->Picture());
        }
        // A longer old bitmap is cut to the new one's length.
        {
            QFile bmp(m_dir + "icn.bmp");
            QVERIFY(bmp.open(QIODevice::Append));
            bmp.write(QByteArray(5000, 'x'));
        }
        const qint64 before = QFileInfo(m_dir + "icn.bmp").size();
        QVERIFY(NastavIkonu(list, 1, m_dir));
        QCOMPARE(QFileInfo(m_dir + "icn.bmp").size(), before - 5000);
        QCOMPARE(QImage(m_dir + "icn.bmp", "bmp").size(), QSize(w, w));
    }

    void widthAndUnlaunchableTiles_data() {
        QTest::addColumn<QString>("icons"); // per slot: icon side, "-" no icon, "x" program missing
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("launchable");
        QTest::newRow("first without icon, second with") << "-,48,16" << 48 << "NYY";
        QTest::newRow("first program missing") << "x,24" << 24 << "NY";
        QTest::newRow("no icon at all") << "-,-" << 0 << "NN";
        QTest::newRow("every icon") << "16,16" << 16 << "YY";
    }
    void widthAndUnlaunchableTiles() {
        QFETCH(QString, icons);
        QFETCH(int, width);
        QFETCH(QString, launchable);
        const QStringList sides = icons.split(u',');
        QString missing;
        for (int j = 1; j <= sides.size(); ++j) {
            if (sides[j - 1] == "x") missing = QStringLiteral("p%1.exe").arg(j);
        }
        TileList list = Column(int(sides.size()), missing);
        SetShellIconSource([sides](const QString& path) -> std::optional<ShellIcon> {
            const int j = QFileInfo(path).completeBaseName().mid(1).toInt();
            bool ok = false;
            const int side = sides.value(j - 1).toInt(&ok);
            if (!ok) return std::nullopt;
            return ShellIcon{Square(side, Qt::blue), {}};
        });
        // The width is read back from the bitmap file.
        QCOMPARE(SirkaIkony(list, m_dir), width);
        for (int j = 1; j <= sides.size(); ++j) {
            const QString command = list.Commands[j];
            const bool yes = launchable[j - 1] == u'Y';
            QCOMPARE(NastavIkonu(list, j, m_dir), yes);
            QCOMPARE(list.Names[j], QStringLiteral("Modul %1").arg(j));
            QCOMPARE(list.Descriptions[j], QStringLiteral("Popis %1").arg(j));
            if (yes) {
                QCOMPARE(list.Commands[j], command);
                QCOMPARE(list.Captions[j]->text(), list.Descriptions[j]);
                QCOMPARE(list.Captions[j]->toolTip(), list.Descriptions[j]);
                QVERIFY(!list.Icons[j]->Picture().isNull());
            } else {
                QCOMPARE(list.Captions[j]->text(), QStringLiteral("NELZE SPUSTIT"));
                QCOMPARE(list.Captions[j]->toolTip(), QString());
                QCOMPARE(list.Commands[j], QString());
                QVERIFY(list.Icons[j]->Picture().isNull());
            }
        }
        QVERIFY(!QFile::exists(m_dir + "icn.ico"));
        QCOMPARE(QFile::exists(m_dir + "icn.bmp"), width > 0);
    }

    void ikona_removesStaleIconFileEvenWithoutProgram() {
        Touch(m_dir + "icn.ico", "stale");
        const IconOutcome outcome = ikona(m_dir + "missing.exe", m_dir + "icn.ico", 0);
        QVERIFY(!outcome.Taken());
        QVERIFY(!QFile::exists(m_dir + "icn.ico"));
    }

    void readOnlyProgramDir_iconTakenInMemory() {
        const QImage stale = Square(32, Qt::red);
        QByteArray staleBytes;
        {
            QBuffer buffer(&staleBytes);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(stale.save(&buffer, "ico"));
        }
        ReadOnlyDir readOnly(m_tmp.path(), staleBytes);
        const QString programDir = WithSeparator(readOnly.Path());
        TileList list = Column(1);
        SetShellIconSource([](const QString&) -> std::optional<ShellIcon> {
            return ShellIcon{Square(32, Qt::green), {}};
        });
        QCOMPARE(SirkaIkony(list, programDir), 32);
        QVERIFY(NastavIkonu(list, 1, programDir));
        QCOMPARE(list.Commands[1], m_dir + "p1.exe\" \"-x");
        QCOMPARE(list.Captions[1]->text(), QStringLiteral("Popis 1"));
        // The icon that could not be deleted is not taken for this module's.
        QCOMPARE(list.Icons[1]->Picture().pixelColor(16, 16), QColor(Qt::green));
        QVERIFY(!QFile::exists(programDir + "icn.bmp"));
        if (readOnly.HasStaleIcon()) QVERIFY(QFile::exists(programDir + "icn.ico"));
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
