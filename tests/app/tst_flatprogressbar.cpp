// The bar's progress indicator draws itself; it must look as the style sheet it replaces drew it.
#include "app/flatprogressbar.h"

#include <QImage>
#include <QProgressBar>
#include <QTest>

namespace {

const QColor background(0, 128, 0);
const QColor chunk(183, 255, 183);

QImage Render(QWidget& w)
{
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::magenta);
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

class TestFlatProgressBar : public QObject {
    Q_OBJECT
private slots:
    void looksAsTheStyleSheet_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << 143 << 0;
        QTest::newRow("first step") << 143 << 1;
        QTest::newRow("a third") << 143 << 33;
        QTest::newRow("half") << 143 << 50;
        QTest::newRow("rounding of 29 on 100 pixels") << 100 << 29;
        QTest::newRow("one short of full") << 143 << 99;
        QTest::newRow("full") << 143 << 100;
        QTest::newRow("narrowed bar") << 93 << 57;
    }

    void looksAsTheStyleSheet()
    {
        QFETCH(int, width);
        QFETCH(int, value);
        QProgressBar sheet;
        sheet.setRange(0, 100);
        sheet.setTextVisible(false);
        sheet.setStyleSheet(QStringLiteral("QProgressBar { border: none; background: rgb(0,128,0); }"
                                           "QProgressBar::chunk { background: rgb(183,255,183); }"));
        kovalt::FlatProgressBar flat(background, chunk);
        flat.setRange(0, 100);
        for (QProgressBar* bar : {&sheet, static_cast<QProgressBar*>(&flat)}) {
            bar->resize(width, 10);
            bar->setValue(value);
        }
        const QImage expected = Render(sheet);
        const QImage drawn = Render(flat);
        QCOMPARE(drawn.pixelColor(0, 5), value > 0 ? chunk : background);
        QCOMPARE(drawn.pixelColor(width - 1, 5), value == 100 ? chunk : background);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < width; ++x)
                if (drawn.pixel(x, y) != expected.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
    }

    void chunkWidth_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("below the range") << 10 << 20 << 5 << 0;
        QTest::newRow("above the range") << 10 << 20 << 25 << 200;
        QTest::newRow("empty range") << 0 << 0 << 0 << 0;
        QTest::newRow("offset range") << 10 << 20 << 15 << 100;
        QTest::newRow("whole int range") << INT_MIN << INT_MAX << 0 << 100;
    }

    void chunkWidth()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(int, expected);
        QCOMPARE(kovalt::FlatProgressBar::ChunkWidth(200, minimum, maximum, value), expected);
    }
};

QTEST_MAIN(TestFlatProgressBar)
#include "tst_flatprogressbar.moc"
