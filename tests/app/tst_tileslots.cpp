#include "modules/gradientpanel.h"
#include "modules/tilelist.h"
#include "modules/tilewidgets.h"

#include <QMap>
#include <QTest>
#include <QWidget>

using kovalt::TileList;

class TestTileSlots : public QObject {
    Q_OBJECT

private:
    QMap<QString, int> released;
    QStringList order;

    void watch(QObject* o, const QString& name)
    {
        o->setObjectName(name);
        connect(o, &QObject::destroyed, this, [this, name] {
            ++released[name];
            order << name;
        });
    }

    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void init()
    {
        released.clear();
        order.clear();
    }

    void clearEmptyList_onlyTopsChange()
    {
        TileList list;
        list.Names[1] = "Alfa";
        list.Count = 1;
        list.First = 1;
        list.Last = 1;
        list.ServerMode = true;
        list.Servers[1].server = "Alfa";
        list.ClearSlots();
        for (int j = 1; j <= kovalt::MaxTiles; ++j) {
            QCOMPARE(list.Tops[j], -1);
            QVERIFY(!list.Panels[j] && !list.Captions[j] && !list.Icons[j]);
        }
        QCOMPARE(list.Names[1], QString("Alfa"));
        QCOMPARE(list.Servers[1].server, QString("Alfa"));
        QCOMPARE(list.Count, 1);
        QCOMPARE(list.Last, 1);
        QVERIFY(list.ServerMode);
    }

    void clearAfterServerBuild_releasesEveryControlOnce()
    {
        QWidget form;
        TileList list;
        constexpr int built = 3;
        for (int j = 1; j <= built; ++j) {
            auto* panel = new kovalt::GradientPanel(&form);
            auto* caption = new kovalt::TileCaption(panel);
            auto* icon = new kovalt::TileImage(panel);
            watch(panel, QString("panel%1").arg(j));
            watch(caption, QString("caption%1").arg(j));
            watch(icon, QString("icon%1").arg(j));
            list.Panels[j] = panel;
            list.Captions[j] = caption;
            list.Icons[j] = icon;
            list.Tops[j] = j == built ? 0 : 20 + (j - 1) * 47;
            list.Names[j] = QString("server %1").arg(j);
        }
        list.Count = built;
        // The last tile lies outside the window: its panel has no parent.
        list.Panels[built]->setParent(nullptr);

        list.ClearSlots();
        flushDeletes();

        QCOMPARE(released.size(), built * 3);
        for (auto it = released.cbegin(); it != released.cend(); ++it)
            QVERIFY2(it.value() == 1, qPrintable(it.key()));
        for (int j = 1; j <= built; ++j) {
            // Caption, then picture, then panel.
            const auto at = [this](const QString& n) { return order.indexOf(n); };
            QVERIFY(at(QString("caption%1").arg(j)) < at(QString("icon%1").arg(j)));
            QVERIFY(at(QString("icon%1").arg(j)) < at(QString("panel%1").arg(j)));
        }
        for (int j = 1; j <= kovalt::MaxTiles; ++j) {
            QCOMPARE(list.Tops[j], -1);
            QVERIFY(!list.Panels[j] && !list.Captions[j] && !list.Icons[j]);
        }
        QCOMPARE(list.Names[2], QString("server 2"));
        QCOMPARE(list.Count, built);
        QVERIFY(form.findChildren<kovalt::GradientPanel*>().isEmpty());

        // A second clearing finds nothing left to release.
        list.ClearSlots();
        flushDeletes();
        QCOMPARE(order.size(), built * 3);
    }
};

QTEST_MAIN(TestTileSlots)
#include "tst_tileslots.moc"
