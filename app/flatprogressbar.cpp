#include "app/flatprogressbar.h"

#include <QPainter>

namespace kovalt {

FlatProgressBar::FlatProgressBar(const QColor& background, const QColor& chunk, QWidget* parent)
    : QProgressBar(parent), m_background(background), m_chunk(chunk)
{
    setTextVisible(false);
}

int FlatProgressBar::ChunkWidth(int width, int minimum, int maximum, int value)
{
    if (maximum <= minimum || value <= minimum)
        return 0;
    if (value >= maximum)
        return width;
    // Computed as Qt's own style does, so the chunk ends on the same pixel as it would there.
    const double ratio = double(qint64(value) - minimum) / double(qint64(maximum) - minimum);
    return int(width * ratio);
}

void FlatProgressBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_background);
    const int chunk = ChunkWidth(width(), minimum(), maximum(), value());
    if (chunk > 0)
        p.fillRect(QRect(0, 0, chunk, height()), m_chunk);
}

} // namespace kovalt
