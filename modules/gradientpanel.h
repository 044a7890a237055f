#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace kovalt {

/// A tile panel: a horizontal gradient of 100 steps, a heading drawn by the panel itself (so its
/// mouse input is the panel's) and a frame of settable width and colour.
class GradientPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int GradientSteps = 100;

    explicit GradientPanel(QWidget* parent = nullptr);

    void SetStartColor(const QColor& color);
    QColor StartColor() const { return m_start; }
    void SetEndColor(const QColor& color);
    QColor EndColor() const { return m_end; }

    void SetHeading(const QString& text);
    QString Heading() const { return m_heading; }
    void SetHeadingPos(QPoint pos);
    QPoint HeadingPos() const { return m_headingPos; }
    void SetHeadingFont(const QFont& font);
    QFont HeadingFont() const { return m_headingFont; }
    void SetHeadingColor(const QColor& color);
    QColor HeadingColor() const { return m_headingColor; }

    void SetFrameWidth(int width);
    int FrameWidth() const { return m_frameWidth; }
    void SetFrameColor(const QColor& color);
    QColor FrameColor() const { return m_frameColor; }

    void SetTag(int tag);
    int Tag() const;

    /// Colour of gradient band i (0 to GradientSteps - 1).
    QColor BandColor(int i) const;

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QColor m_start{0, 128, 0};
    QColor m_end{255, 255, 255};
    QString m_heading;
    QPoint m_headingPos{10, 3};
    QFont m_headingFont;
    QColor m_headingColor{255, 255, 255};
    int m_frameWidth = 1;
    QColor m_frameColor{0, 0, 0};
    bool m_pressed = false;
};

} // namespace kovalt
