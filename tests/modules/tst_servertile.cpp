#include "modules/gradientpanel.h"
#include "modules/servertile.h"
#include "modules/tilewidgets.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using kovalt::TileList;

class TestServerTile : public QObject {
    Q_OBJECT

private:
    // The leftmost and rightmost columns that hold a visible pixel; all of them dark green.
    static std::pair<int, int> inkColumns(const QImage& image, bool* allGreen)
    {
        int left = image.width();
        int right = -1;
        *allGreen = true;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() == 0)
                    continue;
                left = qMin(left, x);
                right = qMax(right, x);
                if (c.alpha() == 255 && c.rgb() != QColor(0, 128, 0).rgb())
                    *allGreen = false;
            }
        }
        return {left, right};
    }

private slots:
    void tile_hasItsControls_data()
    {
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("frameWidth");
        QTest::addColumn<QColor>("frameColor");
        QTest::newRow("active entry: 2 px red") << true << 2 << QColor(255, 0, 0);
        QTest::newRow("inactive entry: 1 px black") << false << 1 << QColor(0, 0, 0);
    }

    void tile_hasItsControls()
    {
        QFETCH(bool, active);
        QFETCH(int, frameWidth);
        QFETCH(QColor, frameColor);
        QWidget form;
        form.resize(280, 500);
        TileList list;
        list.Servers[7] = {"Beta", "IP=10.0.0.2", active};
        list.Names[7] = "Beta";
        list.Descriptions[7] = "IP=10.0.0.2";
        const auto tile = kovalt::MakeServerTile(list, &form, 7, {302, true, 0}, QColor(0, 0, 255));

        kovalt::GradientPanel* panel = tile.panel;
        QCOMPARE(panel->objectName(), QString("but07"));
        QCOMPARE(panel->parentWidget(), &form);
        QCOMPARE(panel->geometry(), QRect(0, 302, 280, 42));
        QCOMPARE(panel->StartColor(), QColor(0, 128, 0));
        QCOMPARE(panel->FrameWidth(), frameWidth);
        QCOMPARE(panel->FrameColor(), frameColor);
        QCOMPARE(panel->Heading(), QString("Beta"));
        QCOMPARE(panel->HeadingPos(), QPoint(10, 3));
        QCOMPARE(panel->HeadingFont().family(), QString("Verdana"));
        QCOMPARE(panel->HeadingFont().pointSize(), 13);
        QCOMPARE(panel->HeadingColor(), QColor(0, 0, 255));
        QCOMPARE(panel->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(panel->Tag(), 7);

        QCOMPARE(tile.caption->parentWidget(), panel);
        QCOMPARE(tile.caption->pos(), QPoint(40, 25));
        QCOMPARE(tile.caption->width(), 280 - 82);
        QCOMPARE(tile.caption->text(), QString("IP=10.0.0.2"));
        QCOMPARE(tile.caption->toolTip(), QString("IP=10.0.0.2"));
        QCOMPARE(tile.caption->TextColor(), QColor(255, 255, 255));
        QCOMPARE(kovalt::TagOf(tile.caption), 7);

        QCOMPARE(tile.image->parentWidget(), panel);
        QCOMPARE(tile.image->geometry(), QRect(280 - 42, 2, 32, 32));
        QCOMPARE(tile.image->Picture(), kovalt::ServerNumberPicture(7));
        QCOMPARE(kovalt::TagOf(tile.image), 7);

        QCOMPARE(list.Panels[7].data(), panel);
        QCOMPARE(list.Captions[7].data(), tile.caption);
        QCOMPARE(list.Icons[7].data(), tile.image);
        QCOMPARE(list.Tops[7], 302);
    }

    void tileBeyondTheWindow_hasNoParentAndTopZero()
    {
        QWidget form;
        form.resize(280, 500);
        TileList list;
        list.Names[12] = "Omega";
        const auto tile = kovalt::MakeServerTile(list, &form, 12, {537, false, 0});
        QVERIFY(!tile.panel->parentWidget());
        QCOMPARE(tile.panel->y(), 537);
        QCOMPARE(tile.panel->width(), 280);
        QCOMPARE(list.Tops[12], 0);
        delete tile.panel;
    }

    void numberPicture_data()
    {
        QTest::addColumn<int>("j");
        QTest::addColumn<int>("firstColumn");
        QTest::addColumn<int>("lastColumn");
        // One digit starts at x 15; two digits start at x 0 and reach further right.
        QTest::newRow("one digit") << 1 << 15 << 31;
        QTest::newRow("nine") << 9 << 15 << 31;
        QTest::newRow("two digits") << 12 << 0 << 31;
        QTest::newRow("fifty") << 50 << 0 << 31;
    }

    void numberPicture()
    {
        QFETCH(int, j);
        QFETCH(int, firstColumn);
        QFETCH(int, lastColumn);
        const QImage picture = kovalt::ServerNumberPicture(j);
        QCOMPARE(picture.size(), QSize(32, 32));
        QVERIFY(picture.hasAlphaChannel());
        QCOMPARE(picture.pixelColor(0, 31).alpha(), 0);
        bool allGreen = false;
        const auto [left, right] = inkColumns(picture, &allGreen);
        QVERIFY(allGreen);
        QVERIFY2(left >= firstColumn && left <= firstColumn + 4, qPrintable(QString::number(left)));
        QVERIFY(right <= lastColumn);
        // 20 points make digits taller than half the picture.
        int top = 32;
        int bottom = -1;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (picture.pixelColor(x, y).alpha() > 0) {
                    top = qMin(top, y);
                    bottom = qMax(bottom, y);
                }
        QVERIFY2(bottom - top + 1 >= 16, qPrintable(QString("%1..%2").arg(top).arg(bottom)));
    }

    void doubleClickOnCaptionOrPicture_isThePanelsDoubleClick()
    {
        QWidget form;
        form.resize(280, 100);
        TileList list;
        list.Names[1] = "Alpha";
        list.Descriptions[1] = "IP=10.0.0.1";
        const auto tile = kovalt::MakeServerTile(list, &form, 1, {20, true, 0});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy doubled(tile.panel, &kovalt::GradientPanel::doubleClicked);
        QSignalSpy clicked(tile.panel, &kovalt::GradientPanel::clicked);

        QTest::mouseClick(tile.caption, Qt::LeftButton);
        QTest::mouseClick(tile.image, Qt::LeftButton);
        QCOMPARE(doubled.size(), 0);
        QTest::mouseDClick(tile.caption, Qt::LeftButton);
        QCOMPARE(doubled.size(), 1);
        QTest::mouseDClick(tile.image, Qt::LeftButton);
        QCOMPARE(doubled.size(), 2);
        QTest::mouseDClick(tile.panel, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(doubled.size(), 3);
        QTest::mouseDClick(tile.caption, Qt::RightButton);
        QCOMPARE(doubled.size(), 3);
        QCOMPARE(clicked.size(), 0);
    }
};

QTEST_MAIN(TestServerTile)
#include "tst_servertile.moc"
