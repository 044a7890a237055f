#include "tilewidgets.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace kovalt {

namespace {
const char* const TagProperty = "kovaltTag";
const QString CaptionMime = QStringLiteral("application/x-kovalt-tile-caption");
} // namespace

int TagOf(const QObject* control) {
    return control ? control->property(TagProperty).toInt() : 0;
}

void SetTag(QObject* control, int tag) {
    control->setProperty(TagProperty, tag);
}

TileCaption::TileCaption(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    setAcceptDrops(true);
}

void TileCaption::SetTextColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QColor TileCaption::TextColor() const {
    return palette().color(QPalette::WindowText);
}

bool TileCaption::PastThreshold(QPoint from, QPoint to, int threshold) {
    return qAbs(to.x() - from.x()) >= threshold || qAbs(to.y() - from.y()) >= threshold;
}

void TileCaption::BeginDrag(int threshold) {
    if (!m_pressed) return;
    m_armed = true;
    m_threshold = threshold;
}

void TileCaption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic, text());
}

void TileCaption::mousePressEvent(QMouseEvent* event) {
    m_pressed = true;
    m_armed = false;
    m_button = event->button();
    m_pressPos = event->position().toPoint();
    emit mousePressed(event->button(), m_pressPos);
    event->accept();
}

void TileCaption::mouseMoveEvent(QMouseEvent* event) {
    if (!m_armed || !(event->buttons() & m_button) ||
        !PastThreshold(m_pressPos, event->position().toPoint(), m_threshold))
        return;
    m_armed = false;
    m_pressed = false;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setData(CaptionMime, QByteArray::number(TagOf(this)));
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

void TileCaption::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton && m_button == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    m_armed = false;
    if (click) emit clicked();
}

QObject* TileCaption::DragSource(const QDropEvent* event) const {
    return event->mimeData() && event->mimeData()->hasFormat(CaptionMime) ? event->source() : nullptr;
}

void TileCaption::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void TileCaption::dragMoveEvent(QDragMoveEvent* event) {
    bool accept = false;
    emit dragOver(DragSource(event), &accept);
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TileCaption::dropEvent(QDropEvent* event) {
    QObject* source = DragSource(event);
    if (!source) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit dropped(source);
}

TileImage::TileImage(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
}

void TileImage::SetPicture(const QImage& image) {
    m_picture = image;
    update();
}

void TileImage::paintEvent(QPaintEvent*) {
    if (m_picture.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_picture);
}

void TileImage::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TileImage::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click) emit clicked();
}

} // namespace kovalt
