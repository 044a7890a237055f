#pragma once

#include <QPixmap>
#include <QWidget>

namespace kovalt {

/// A fixed picture of the bar: drawn centred, keeping its proportions, on a transparent
/// background; a left click released over it is a click.
class Picture : public QWidget {
    Q_OBJECT
public:
    explicit Picture(QWidget* parent = nullptr);

    void SetPixmap(const QPixmap& pixmap);
    const QPixmap& Pixmap() const { return m_pixmap; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_pixmap;
    bool m_pressed = false;
};

} // namespace kovalt
