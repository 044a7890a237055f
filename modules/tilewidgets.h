#pragma once

#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QWidget>

namespace kovalt {

/// The slot number a tile control carries (its tag); 0 for anything else.
int TagOf(const QObject* control);
void SetTag(QObject* control, int tag);

/// A tile's caption label: plain text, an ampersand underlines the next character, click and
/// drag-and-drop events for the bar. It starts no drag by itself; BeginDrag arms one.
class TileCaption : public QLabel {
    Q_OBJECT
public:
    explicit TileCaption(QWidget* parent = nullptr);

    void SetTextColor(const QColor& color);
    QColor TextColor() const;

    /// Starts a drag of this label once the pointer has moved threshold pixels from the press point
    /// along either axis, while the button that was pressed is still held.
    void BeginDrag(int threshold);
    bool Dragging() const { return m_armed; }
    static bool PastThreshold(QPoint from, QPoint to, int threshold);

signals:
    void clicked();
    void mousePressed(Qt::MouseButton button, QPoint pos);
    /// Ask whether a dragged control may be dropped here; set *accept.
    void dragOver(QObject* source, bool* accept);
    void dropped(QObject* source);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QObject* DragSource(const QDropEvent* event) const;

    bool m_pressed = false;
    bool m_armed = false;
    int m_threshold = 0;
    Qt::MouseButton m_button = Qt::NoButton;
    QPoint m_pressPos;
};

/// A tile's picture: the image stretched over the whole control, transparent elsewhere.
class TileImage : public QWidget {
    Q_OBJECT
public:
    explicit TileImage(QWidget* parent = nullptr);

    void SetPicture(const QImage& image);
    const QImage& Picture() const { return m_picture; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    bool m_pressed = false;
};

} // namespace kovalt
