#include "gradientpanel.h"
#include "tilewidgets.h"

#include <QImage>
#include <QList>
#include <QMouseEvent>
#include <QPainter>

namespace kovalt {

GradientPanel::GradientPanel(QWidget* parent) : QWidget(parent), m_headingFont(QStringLiteral("Verdana")) {
    m_headingFont.setPointSize(13);
    m_headingFont.setBold(false);
    m_headingFont.setItalic(false);
}

void GradientPanel::SetStartColor(const QColor& color) {
    m_start = color;
    update();
}

void GradientPanel::SetEndColor(const QColor& color) {
    m_end = color;
    update();
}

void GradientPanel::SetHeading(const QString& text) {
    m_heading = text;
    update();
}

void GradientPanel::SetHeadingPos(QPoint pos) {
    m_headingPos = pos;
    update();
}

void GradientPanel::SetHeadingFont(const QFont& font) {
    m_headingFont = font;
    update();
}

void GradientPanel::SetHeadingColor(const QColor& color) {
    m_headingColor = color;
    update();
}

void GradientPanel::SetFrameWidth(int width) {
    m_frameWidth = qMax(0, width);
    update();
}

void GradientPanel::SetFrameColor(const QColor& color) {
    m_frameColor = color;
    update();
}

void GradientPanel::SetTag(int tag) {
    kovalt::SetTag(this, tag);
}

int GradientPanel::Tag() const {
    return TagOf(this);
}

QColor GradientPanel::BandColor(int i) const {
    const int last = GradientSteps - 1;
    auto mix = [&](int a, int b) { return a + (b - a) * i / last; };
    return QColor(mix(m_start.red(), m_end.red()), mix(m_start.green(), m_end.green()),
                  mix(m_start.blue(), m_end.blue()));
}

namespace {

// The bands of one panel size and colour pair, drawn once and shared: a column holds up to 50
// panels of the same size and colours, each painted again whenever it scrolls or its text changes.
struct GradientImage {
    QSize size;
    qreal ratio = 1;
    QRgb start = 0;
    QRgb end = 0;
    QImage image;
};

const QImage& Bands(const GradientPanel& panel, QSize size, qreal ratio) {
    // Server mode and module mode use a few pairs at most; the oldest goes when a new one comes.
    constexpr int kept = 4;
    static QList<GradientImage> images;
    const QRgb start = panel.StartColor().rgb();
    const QRgb end = panel.EndColor().rgb();
    for (const GradientImage& g : images) {
        if (g.size == size && g.ratio == ratio && g.start == start && g.end == end) return g.image;
    }
    GradientImage g{size, ratio, start, end, QImage(size * ratio, QImage::Format_RGB32)};
    g.image.setDevicePixelRatio(ratio);
    g.image.fill(Qt::black);
    {
        QPainter painter(&g.image);
        const int w = size.width();
        for (int i = 0; i < GradientPanel::GradientSteps; ++i) {
            const int x0 = i * w / GradientPanel::GradientSteps;
            const int x1 = (i + 1) * w / GradientPanel::GradientSteps;
            if (x1 > x0) painter.fillRect(x0, 0, x1 - x0, size.height(), panel.BandColor(i));
        }
    }
    if (images.size() >= kept) images.removeFirst();
    images.append(std::move(g));
    return images.constLast().image;
}

} // namespace

void GradientPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    if (w > 0 && h > 0) painter.drawImage(0, 0, Bands(*this, size(), devicePixelRatio()));
    if (!m_heading.isEmpty()) {
        painter.setFont(m_headingFont);
        painter.setPen(m_headingColor);
        painter.drawText(QRect(m_headingPos, QPoint(w - 1, h - 1)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         m_heading);
    }
    for (int k = 0; k < m_frameWidth && 2 * k < qMin(w, h); ++k) {
        painter.setPen(m_frameColor);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(k, k, w - 1 - 2 * k, h - 1 - 2 * k);
    }
}

void GradientPanel::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void GradientPanel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click) emit clicked();
}

void GradientPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click makes no click of its own.
    m_pressed = false;
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

} // namespace kovalt
