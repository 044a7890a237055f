#include "layout.h"
#include "gradientpanel.h"

#include <QColor>
#include <QWidget>

namespace kovalt {

ColumnLayout::ColumnLayout(int screenHeight, int tileHeight)
    : m_limit(HeightLimit(screenHeight)), m_tileHeight(tileHeight) {}

TilePlacement ColumnLayout::Place(int j) {
    TilePlacement placement;
    const int height = j * TilePitch(m_tileHeight) + 35;
    if (height < m_limit)
        placement.formHeight = height;
    else if (m_last == 0)
        m_last = j - 1;
    placement.shown = m_last == 0;
    placement.top = m_top;
    m_top += TilePitch(m_tileHeight);
    return placement;
}

int ColumnLayout::Finish(int count) {
    if (m_last == 0) m_last = count;
    return m_last;
}

ColumnLayoutResult LayOutColumn(int screenHeight, int tileHeight, int count, int formHeight) {
    ColumnLayoutResult result;
    ColumnLayout layout(screenHeight, tileHeight);
    result.formHeight = formHeight;
    for (int j = 1; j <= count; ++j) {
        const TilePlacement placement = layout.Place(j);
        if (placement.formHeight > 0) result.formHeight = placement.formHeight;
        result.tiles.append(placement);
    }
    result.Last = layout.Finish(count);
    result.formTop = CentredTop(screenHeight, result.formHeight);
    const ArrowState arrows = UkazNahoruDoluState(result.First, result.Last, count);
    result.upArrow = arrows.up;
    result.downArrow = arrows.down;
    return result;
}

ArrowState UkazNahoruDoluState(int First, int Last, int Count) {
    return {First > 1, Last < Count};
}

ArrowState UkazNahoruDoluState(const TileList& list) {
    return UkazNahoruDoluState(list.First, list.Last, list.Count);
}

namespace {
bool RedFrame(const TileList& list, int k) {
    return list.ServerMode && list.Servers[k].aktivni;
}
} // namespace

ScrollStep PosunDoluState(TileList& list) {
    ScrollStep step;
    if (list.Last >= list.Count || list.First < 1 || list.Last < 1) return step;
    step.refreshArrows = true;
    int found = 0;
    for (int k = list.Last; k <= MaxTiles; ++k) {
        if (list.Tops[k] == -1) break;
        if (list.Tops[k] == 0) {
            found = k;
            break;
        }
    }
    if (found == 0) return step;
    int t = list.Tops[list.First];
    list.Tops[list.First] = 0;
    step.leaving = list.First;
    for (int m = list.First + 1; m <= list.Last; ++m) {
        const int s = list.Tops[m];
        list.Tops[m] = t;
        step.moves.append({m, t});
        t = s;
    }
    list.Tops[found] = t;
    step.entering = found;
    step.enteringTop = t;
    step.enteringRed = RedFrame(list, found);
    list.First += 1;
    list.Last = found;
    return step;
}

ScrollStep PosunNahoruState(TileList& list) {
    ScrollStep step;
    if (list.First <= 1 || list.First > MaxTiles || list.Last < 1 || list.Last > MaxTiles) return step;
    step.refreshArrows = true;
    int found = 0;
    for (int k = list.First; k >= 1; --k) {
        if (list.Tops[k] == 0) {
            found = k;
            break;
        }
    }
    if (found == 0) return step;
    int t = list.Tops[list.Last];
    list.Tops[list.Last] = 0;
    step.leaving = list.Last;
    for (int m = list.Last - 1; m >= list.First; --m) {
        const int s = list.Tops[m];
        list.Tops[m] = t;
        step.moves.append({m, t});
        t = s;
    }
    list.Tops[found] = t;
    step.entering = found;
    step.enteringTop = t;
    step.enteringRed = RedFrame(list, found);
    list.First = found;
    list.Last -= 1;
    return step;
}

void ApplyScrollStep(TileList& list, QWidget* form, const ScrollStep& step) {
    if (step.entering == 0) return;
    if (GradientPanel* leaving = list.Panels[step.leaving]) {
        leaving->hide();
        leaving->setParent(nullptr);
    }
    for (const auto& [slot, top] : step.moves) {
        if (GradientPanel* panel = list.Panels[slot]) panel->move(panel->x(), top);
    }
    if (GradientPanel* entering = list.Panels[step.entering]) {
        entering->setParent(form);
        entering->SetFrameColor(step.enteringRed ? QColor(255, 0, 0) : QColor(0, 0, 0));
        entering->move(entering->x(), step.enteringTop);
        entering->show();
    }
}

} // namespace kovalt
