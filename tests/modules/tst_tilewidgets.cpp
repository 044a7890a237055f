#include "modules/gradientpanel.h"
#include "modules/layout.h"
#include "modules/moduletile.h"
#include "modules/tilelist.h"
#include "modules/tilewidgets.h"

#include <QSignalSpy>
#include <QtTest>

#include <map>

using namespace kovalt;

namespace {
void ProcessDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One module tile as the build makes it.
void MakeTile(TileList& list, QWidget* form, int j, int top, bool shown) {
    auto* panel = new GradientPanel(shown ? form : nullptr);
    panel->setGeometry(0, top, 230, 42);
    panel->SetTag(j);
    list.Panels[j] = panel;
    auto* caption = new TileCaption(panel);
    SetTag(caption, j);
    list.Captions[j] = caption;
    auto* image = new TileImage(panel);
    SetTag(image, j);
    list.Icons[j] = image;
    list.Tops[j] = shown ? top : 0;
}
} // namespace

class TestTileWidgets : public QObject {
    Q_OBJECT

private slots:
    void initialState_isEmpty() {
        TileList list;
        for (int j = 1; j <= MaxTiles; ++j) {
            QVERIFY(!list.Panels[j] && !list.Icons[j] && !list.Captions[j]);
            QCOMPARE(list.Tops[j], 0);
            QVERIFY(list.Names[j].isEmpty() && list.Commands[j].isEmpty() && list.Descriptions[j].isEmpty());
            QVERIFY(list.Servers[j].server.isEmpty() && !list.Servers[j].aktivni);
        }
        QVERIFY(list.First == 0 && list.Last == 0 && list.Count == 0 && !list.ServerMode && !list.Connected);
    }

    void clear_emptyListOnlySetsTops() {
        TileList list;
        list.Names[3] = "kept";
        list.Servers[2].server = "S";
        list.First = 2;
        list.Last = 4;
        list.Count = 7;
        list.ClearSlots();
        for (int j = 1; j <= MaxTiles; ++j)
            QCOMPARE(list.Tops[j], -1);
        QCOMPARE(list.Names[3], QStringLiteral("kept"));
        QCOMPARE(list.Servers[2].server, QStringLiteral("S"));
        QVERIFY(list.First == 2 && list.Last == 4 && list.Count == 7);
    }

    void clear_releasesEachControlOnce() {
        QWidget form;
        TileList list;
        for (int j = 1; j <= 3; ++j)
            MakeTile(list, &form, j, 20 + (j - 1) * 47, j < 3);
        std::map<QObject*, int> released;
        QList<QObject*> controls;
        for (int j = 1; j <= 3; ++j) {
            for (QObject* control :
                 {static_cast<QObject*>(list.Captions[j].data()), static_cast<QObject*>(list.Icons[j].data()),
                  static_cast<QObject*>(list.Panels[j].data())}) {
                controls << control;
                connect(control, &QObject::destroyed, this, [&released, control] { ++released[control]; });
            }
        }
        list.Commands[1] = "kept";
        list.ClearSlots();
        // The panels leave the form at once.
        QVERIFY(form.findChildren<GradientPanel*>().isEmpty());
        for (int j = 1; j <= MaxTiles; ++j) {
            QVERIFY(!list.Panels[j] && !list.Icons[j] && !list.Captions[j]);
            QCOMPARE(list.Tops[j], -1);
        }
        QCOMPARE(list.Commands[1], QStringLiteral("kept"));
        ProcessDeferredDeletes();
        for (QObject* control : controls)
            QCOMPARE(released[control], 1);
        list.ClearSlots();
        ProcessDeferredDeletes();
        for (QObject* control : controls)
            QCOMPARE(released[control], 1);
    }

    void clear_fromTileOwnClickHandler() {
        // A tile's own handler may rebuild the column, as the server activation does.
        QWidget form;
        form.resize(230, 300);
        TileList list;
        MakeTile(list, &form, 1, 20, true);
        GradientPanel* panel = list.Panels[1];
        connect(panel, &GradientPanel::doubleClicked, this, [&list] { list.ClearSlots(); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QPointer<GradientPanel> watch(panel);
        QTest::mouseDClick(panel, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!list.Panels[1]);
        QTRY_VERIFY(watch.isNull());
    }

    void clear_controlReleasedByItsParentReadsAsNone() {
        TileList list;
        {
            QWidget form;
            MakeTile(list, &form, 1, 20, true);
        }
        QVERIFY(!list.Panels[1] && !list.Captions[1] && !list.Icons[1]);
        list.ClearSlots();
        QCOMPARE(list.Tops[1], -1);
    }

    void gradient_defaults() {
        GradientPanel panel;
        QCOMPARE(panel.StartColor(), QColor(0, 128, 0));
        QCOMPARE(panel.EndColor(), QColor(255, 255, 255));
        QCOMPARE(panel.HeadingPos(), QPoint(10, 3));
        QCOMPARE(panel.HeadingFont().family(), QStringLiteral("Verdana"));
        QCOMPARE(panel.HeadingFont().pointSize(), 13);
        QVERIFY(!panel.HeadingFont().bold() && !panel.HeadingFont().italic());
        QCOMPARE(panel.HeadingColor(), QColor(255, 255, 255));
        QCOMPARE(panel.FrameWidth(), 1);
        QCOMPARE(panel.FrameColor(), QColor(0, 0, 0));
        QCOMPARE(panel.BandColor(0), QColor(0, 128, 0));
        QCOMPARE(panel.BandColor(GradientPanel::GradientSteps - 1), QColor(255, 255, 255));
        QCOMPARE(panel.BandColor(33), QColor(85, 170, 85));
    }

    void gradient_paintsBandsAndFrame_data() {
        QTest::addColumn<int>("frameWidth");
        QTest::addColumn<QColor>("frameColor");
        QTest::newRow("module tile: 1 px black") << 1 << QColor(0, 0, 0);
        QTest::newRow("active server: 2 px red") << 2 << QColor(255, 0, 0);
    }
    void gradient_paintsBandsAndFrame() {
        QFETCH(int, frameWidth);
        QFETCH(QColor, frameColor);
        GradientPanel panel;
        panel.resize(400, 42);
        panel.SetFrameWidth(frameWidth);
        panel.SetFrameColor(frameColor);
        const QImage image = panel.grab().toImage();
        for (int k = 0; k < frameWidth; ++k) {
            QCOMPARE(image.pixelColor(k, 30), frameColor);
            QCOMPARE(image.pixelColor(399 - k, 30), frameColor);
            QCOMPARE(image.pixelColor(100, 41 - k), frameColor);
            QCOMPARE(image.pixelColor(100, k), frameColor);
        }
        // 400 pixels, 100 bands of four: band 0 at the left, band 99 at the right.
        QCOMPARE(image.pixelColor(frameWidth, 30), QColor(0, 128, 0));
        QCOMPARE(image.pixelColor(399 - frameWidth, 30), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(200, 30), panel.BandColor(50));
        QCOMPARE(image.pixelColor(203, 30), panel.BandColor(50));
        QCOMPARE(image.pixelColor(204, 30), panel.BandColor(51));
    }

    void gradient_clickAndDoubleClickSignals() {
        GradientPanel panel;
        panel.resize(200, 42);
        panel.SetHeading("Sklad");
        QSignalSpy clicks(&panel, &GradientPanel::clicked);
        QSignalSpy doubles(&panel, &GradientPanel::doubleClicked);
        // The heading's area is the panel's: a click there is the panel's click.
        QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(15, 8));
        QCOMPARE(clicks.count(), 1);
        QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(15, 8));
        QCOMPARE(clicks.count(), 1);
        QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(50, 20));
        QCOMPARE(doubles.count(), 1);
        panel.SetTag(17);
        QCOMPARE(panel.Tag(), 17);
        QCOMPARE(TagOf(&panel), 17);
    }

    void caption_leftClickOnlyAndPressSignal() {
        TileCaption caption;
        caption.resize(100, 20);
        QSignalSpy clicks(&caption, &TileCaption::clicked);
        QSignalSpy presses(&caption, &TileCaption::mousePressed);
        QTest::mouseClick(&caption, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(&caption, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(presses.count(), 2);
        QCOMPARE(presses.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QVERIFY(!caption.Dragging());
    }

    void caption_ampersandIsNotDrawn() {
        TileCaption plain;
        TileCaption marked;
        for (TileCaption* caption : {&plain, &marked}) {
            caption->resize(120, 20);
            caption->setStyleSheet("color: black");
        }
        plain.setText("Mzdy");
        marked.setText("M&zdy");
        const QImage a = plain.grab().toImage();
        const QImage b = marked.grab().toImage();
        // Same glyphs; the marked one adds only the underline below them.
        const int fontHeight = QFontMetrics(plain.font()).ascent();
        QCOMPARE(a.copy(0, 0, 120, fontHeight - 1), b.copy(0, 0, 120, fontHeight - 1));
        QVERIFY(a != b);
    }

    void caption_dragThreshold_data() {
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("past");
        QTest::newRow("9 and 9 pixels") << QPoint(9, 9) << false;
        QTest::newRow("10 to the right") << QPoint(10, 0) << true;
        QTest::newRow("10 up") << QPoint(0, -10) << true;
        QTest::newRow("no movement") << QPoint(0, 0) << false;
    }
    void caption_dragThreshold() {
        QFETCH(QPoint, to);
        QFETCH(bool, past);
        QCOMPARE(TileCaption::PastThreshold(QPoint(0, 0), to, 10), past);
    }

    void caption_beginDragOnlyWhilePressed() {
        TileCaption caption;
        caption.resize(100, 20);
        caption.BeginDrag(10);
        QVERIFY(!caption.Dragging());
        connect(&caption, &TileCaption::mousePressed, &caption, [&caption](Qt::MouseButton button, QPoint) {
            if (button == Qt::RightButton) caption.BeginDrag(10);
        });
        QTest::mousePress(&caption, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(caption.Dragging());
        QTest::mouseRelease(&caption, Qt::RightButton, {}, QPoint(8, 8));
        QVERIFY(!caption.Dragging());
    }

    void image_stretchesPictureAndClicks() {
        TileImage image;
        image.resize(32, 32);
        QImage red(2, 2, QImage::Format_ARGB32);
        red.fill(QColor(255, 0, 0));
        image.SetPicture(red);
        QCOMPARE(image.Picture().size(), QSize(2, 2));
        const QImage shot = image.grab().toImage();
        QCOMPARE(shot.pixelColor(0, 0), QColor(255, 0, 0));
        QCOMPARE(shot.pixelColor(31, 31), QColor(255, 0, 0));
        QSignalSpy clicks(&image, &TileImage::clicked);
        QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(clicks.count(), 1);
    }

    void applyScrollStep_movesPanels() {
        QWidget form;
        form.resize(230, 975);
        TileList list;
        for (int j = 1; j <= MaxTiles; ++j)
            list.Tops[j] = -1;
        const ColumnLayoutResult layout = LayOutColumn(1080, 42, 25, 100);
        for (int j = 1; j <= 25; ++j)
            MakeTile(list, &form, j, layout.tiles[j - 1].top, layout.tiles[j - 1].shown);
        list.First = 1;
        list.Last = layout.Last;
        list.Count = 25;
        list.ServerMode = true;
        list.Servers[21].aktivni = true;
        ApplyScrollStep(list, &form, PosunDoluState(list));
        QCOMPARE(list.Panels[1]->parentWidget(), nullptr);
        QCOMPARE(list.Panels[21]->parentWidget(), &form);
        QCOMPARE(list.Panels[21]->FrameColor(), QColor(255, 0, 0));
        for (int j = 2; j <= 21; ++j) {
            QCOMPARE(list.Panels[j]->y(), 20 + (j - 2) * 47);
            QCOMPARE(list.Panels[j]->y(), list.Tops[j]);
        }
        ApplyScrollStep(list, &form, PosunNahoruState(list));
        QCOMPARE(list.Panels[21]->parentWidget(), nullptr);
        QCOMPARE(list.Panels[1]->parentWidget(), &form);
        QCOMPARE(list.Panels[1]->FrameColor(), QColor(0, 0, 0));
        for (int j = 1; j <= 20; ++j)
            QCOMPARE(list.Panels[j]->y(), 20 + (j - 1) * 47);
        list.ClearSlots();
        ProcessDeferredDeletes();
    }

    void moduleTiles_1080ExampleBuildAndScroll() {
        const int w = 32;
        QWidget form;
        form.resize(ModuleFormWidth(w), 100);
        TileList list;
        list.ClearSlots();
        list.First = 1;
        list.Count = 25;
        ColumnLayout layout(1080, ModuleTileHeight(w));
        for (int j = 1; j <= list.Count; ++j) {
            list.Names[j] = QStringLiteral("Modul %1").arg(j);
            list.Descriptions[j] = QStringLiteral("Popis &%1").arg(j);
            const TilePlacement placement = layout.Place(j);
            if (placement.formHeight > 0) form.resize(form.width(), placement.formHeight);
            const ModuleTileControls tile = MakeModuleTile(list, &form, j, w, placement);
            QCOMPARE(tile.panel, list.Panels[j].data());
        }
        list.Last = layout.Finish(list.Count);
        QCOMPARE(form.size(), QSize(230, 975));
        QCOMPARE(list.Last, 20);
        QCOMPARE(UkazNahoruDoluState(list), (ArrowState{false, true}));
        for (int j = 1; j <= 25; ++j) {
            GradientPanel* panel = list.Panels[j];
            QCOMPARE(panel->objectName(), QStringLiteral("but%1").arg(j, 2, 10, QChar(u'0')));
            QCOMPARE(panel->geometry(), QRect(0, 20 + (j - 1) * 47, 230, 42));
            QCOMPARE(panel->parentWidget(), j <= 20 ? &form : nullptr);
            QCOMPARE(list.Tops[j], j <= 20 ? 20 + (j - 1) * 47 : 0);
            QCOMPARE(panel->Heading(), list.Names[j]);
            QCOMPARE(panel->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(panel->FrameWidth(), 1);
            QCOMPARE(list.Captions[j]->geometry().topLeft(), QPoint(40, 22));
            QCOMPARE(list.Captions[j]->width(), 148);
            QCOMPARE(list.Captions[j]->text(), list.Descriptions[j]);
            QCOMPARE(list.Captions[j]->toolTip(), list.Descriptions[j]);
            QCOMPARE(list.Captions[j]->TextColor(), QColor(255, 255, 255));
            QCOMPARE(panel->HeadingColor(), QColor(255, 255, 255));
            QCOMPARE(list.Icons[j]->geometry(), QRect(188, 5, 32, 32));
            for (QObject* control : {static_cast<QObject*>(panel), static_cast<QObject*>(list.Captions[j].data()),
                                     static_cast<QObject*>(list.Icons[j].data())})
                QCOMPARE(TagOf(control), j);
        }
        for (int step = 0; step < 5; ++step)
            ApplyScrollStep(list, &form, PosunDoluState(list));
        QCOMPARE(list.First, 6);
        QCOMPARE(list.Last, 25);
        for (int j = 1; j <= 25; ++j) {
            QCOMPARE(list.Panels[j]->parentWidget(), j >= 6 ? &form : nullptr);
            if (j >= 6) QCOMPARE(list.Panels[j]->y(), 20 + (j - 6) * 47);
        }
        QCOMPARE(form.findChildren<GradientPanel*>().size(), 20);
        // Parentless panels are the list's to release.
        list.ReleaseControlsNow();
        QVERIFY(form.findChildren<GradientPanel*>().isEmpty());
    }

    void rotate_data() {
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("d");
        QTest::addColumn<QString>("order"); // old slot numbers now in slots 1 to 6
        QTest::newRow("5 onto 2") << 5 << 2 << "1,5,2,3,4,6";
        QTest::newRow("2 onto 5") << 2 << 5 << "1,3,4,5,2,6";
        QTest::newRow("onto itself") << 3 << 3 << "1,2,3,4,5,6";
        QTest::newRow("last onto first") << 6 << 1 << "6,1,2,3,4,5";
    }
    void rotate() {
        QFETCH(int, s);
        QFETCH(int, d);
        QFETCH(QString, order);
        QWidget form;
        form.resize(230, 400);
        TileList list;
        list.ClearSlots();
        ColumnLayout layout(1080, 42);
        for (int j = 1; j <= 6; ++j) {
            list.Names[j] = QStringLiteral("N%1").arg(j);
            list.Descriptions[j] = QStringLiteral("D%1").arg(j);
            list.Commands[j] = QStringLiteral("C%1").arg(j);
            MakeModuleTile(list, &form, j, 32, layout.Place(j));
            list.Icons[j]->SetPicture(QImage(j, j, QImage::Format_ARGB32));
        }
        list.Count = 6;
        // Slot 4 was unlaunchable: its caption shows the mark, its command is empty.
        list.Commands[4].clear();
        list.Captions[4]->setText("NELZE SPUSTIT");
        list.Captions[4]->setToolTip(QString());
        RotateSlots(list, s, d);
        const QStringList olds = order.split(u',');
        for (int k = 1; k <= 6; ++k) {
            const int old = olds[k - 1].toInt();
            QCOMPARE(list.Names[k], QStringLiteral("N%1").arg(old));
            QCOMPARE(list.Panels[k]->Heading(), list.Names[k]);
            QCOMPARE(list.Panels[k]->Tag(), k);
            QCOMPARE(list.Tops[k], 20 + (k - 1) * 47);
            QCOMPARE(list.Commands[k], old == 4 ? QString() : QStringLiteral("C%1").arg(old));
            QCOMPARE(list.Icons[k]->Picture().width(), old);
            if (old != 4 || s != d) {
                QCOMPARE(list.Captions[k]->text(), QStringLiteral("D%1").arg(old));
                QCOMPARE(list.Captions[k]->toolTip(), QStringLiteral("D%1").arg(old));
            }
        }
    }
};

QTEST_MAIN(TestTileWidgets)
#include "tst_tilewidgets.moc"
