#pragma once

#include <QColor>
#include <QProgressBar>

namespace kovalt {

/// A borderless progress bar of two flat colours and no text, drawn by itself: the chunk grows from
/// the left over the background. Cheaper to create than the same look through a style sheet.
class FlatProgressBar : public QProgressBar {
    Q_OBJECT
public:
    FlatProgressBar(const QColor& background, const QColor& chunk, QWidget* parent = nullptr);

    /// The part of a bar of this width that the chunk covers at value (0 when the range is empty).
    static int ChunkWidth(int width, int minimum, int maximum, int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_background;
    QColor m_chunk;
};

} // namespace kovalt
