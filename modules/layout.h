#pragma once

#include "tilelist.h"

#include <QList>
#include <QWidget>
#include <utility>

namespace kovalt {

/// Distance between the tops of two neighbouring tiles of height h.
constexpr int TilePitch(int tileHeight) {
    return tileHeight + 5;
}
/// Top of the first tile, below the header.
constexpr int FirstTileTop = 20;
/// Module tiles for an icon width w.
constexpr int ModuleTileHeight(int w) {
    return w + 10;
}
constexpr int ModuleFormWidth(int w) {
    return 5 * w + 70;
}
/// The form height is kept below this limit.
constexpr int HeightLimit(int screenHeight) {
    return screenHeight - 62;
}
/// The vertical centre, truncated toward zero.
constexpr int CentredTop(int screenHeight, int formHeight) {
    return (screenHeight - formHeight) / 2;
}

/// Where one tile goes, decided tile by tile while the column is built.
struct TilePlacement {
    int top = 0;        ///< the panel's top, also for a tile that is not shown
    bool shown = false; ///< placed on the form
    int formHeight = 0; ///< the form's new height; 0 leaves it as it is
};

/// The layout rule, step by step: Place(1), Place(2), ... in slot order, then Finish(count).
class ColumnLayout {
public:
    ColumnLayout(int screenHeight, int tileHeight);

    TilePlacement Place(int j);
    /// The Last of the build: the last tile that fit, or count when all did.
    int Finish(int count);
    int Last() const { return m_last; }

private:
    int m_limit;
    int m_tileHeight;
    int m_top = FirstTileTop;
    int m_last = 0;
};

/// The whole layout of a column at once, for a form whose height was formHeight before.
struct ColumnLayoutResult {
    int formHeight = 0;
    int formTop = 0;
    int First = 1;
    int Last = 0;
    QList<TilePlacement> tiles; ///< tiles[j - 1] for slot j
    bool upArrow = false;
    bool downArrow = false;
};
ColumnLayoutResult LayOutColumn(int screenHeight, int tileHeight, int count, int formHeight);

/// Which arrows show: up when First > 1, down when Last < Count.
struct ArrowState {
    bool up = false;
    bool down = false;
    friend bool operator==(const ArrowState&, const ArrowState&) = default;
};
ArrowState UkazNahoruDoluState(int First, int Last, int Count);
ArrowState UkazNahoruDoluState(const TileList& list);

/// What one scroll step did to the column; the window applies it to its panels.
struct ScrollStep {
    bool refreshArrows = false; ///< false: the request returned at once
    int leaving = 0;            ///< slot taken off the form; 0 when nothing moved
    int entering = 0;           ///< slot put on the form at enteringTop
    int enteringTop = 0;
    bool enteringRed = false;         ///< its frame colour is red, else black
    QList<std::pair<int, int>> moves; ///< (slot, new top) of the tiles that stay shown
};

/// The scroll steps over First, Last, Count and Tops (the shown panels stand at their Tops).
ScrollStep PosunDoluState(TileList& list);
ScrollStep PosunNahoruState(TileList& list);

/// Applies a step to the panels of list: parents, tops and the incoming tile's frame colour.
void ApplyScrollStep(TileList& list, QWidget* form, const ScrollStep& step);

} // namespace kovalt
