#include "app/picture.h"

#include <QMouseEvent>
#include <QPainter>

namespace kovalt {

Picture::Picture(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TranslucentBackground); }

void Picture::SetPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

void Picture::paintEvent(QPaintEvent*)
{
    if (m_pixmap.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize drawn = m_pixmap.size().scaled(size(), Qt::KeepAspectRatio);
    p.drawPixmap(QRect(QPoint((width() - drawn.width()) / 2, (height() - drawn.height()) / 2), drawn), m_pixmap);
}

void Picture::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void Picture::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace kovalt
