#include "tilelist.h"
#include "gradientpanel.h"
#include "tilewidgets.h"

namespace kovalt {

TileSlot TileList::Slot(int j) {
    return TileSlot{Panels[j], Icons[j], Captions[j], Commands[j], Tops[j], Servers[j], Names[j], Descriptions[j]};
}

namespace {
template <typename W> void Release(QPointer<W>& control) {
    if (control) {
        control->hide();
        control->deleteLater();
    }
    control = nullptr;
}
} // namespace

void TileList::ClearSlots() {
    for (int j = 1; j <= MaxTiles; ++j) {
        Release(Captions[j]);
        Release(Icons[j]);
        if (Panels[j]) Panels[j]->setParent(nullptr);
        Release(Panels[j]);
        Tops[j] = -1;
    }
}

void TileList::ReleaseControlsNow() {
    for (int j = 1; j <= MaxTiles; ++j) {
        delete Captions[j].data();
        delete Icons[j].data();
        delete Panels[j].data();
        Captions[j] = nullptr;
        Icons[j] = nullptr;
        Panels[j] = nullptr;
    }
}

TileList& Tiles() {
    static TileList list;
    return list;
}

} // namespace kovalt
