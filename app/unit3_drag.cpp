// Reordering module tiles by dragging a caption onto another with the right mouse button.
#include "app/unit3.h"

#include "modules/modulelist.h"
#include "modules/moduletile.h"
#include "modules/tilewidgets.h"

#include <QApplication>

namespace {

// The control as a caption label of a module tile in the column; null for anything else.
kovalt::TileCaption* ModuleCaption(QObject* control)
{
    auto* caption = qobject_cast<kovalt::TileCaption*>(control);
    const auto& tiles = kovalt::Tiles();
    if (!caption || tiles.ServerMode)
        return nullptr;
    const int j = kovalt::TagOf(caption);
    if (j < 1 || j > tiles.Count || tiles.Captions[j] != caption)
        return nullptr;
    return caption;
}

} // namespace

void TForm3::Panel1MouseDown(QObject* sender, Qt::MouseButton button, QPoint pos)
{
    Q_UNUSED(pos);
    if (button != Qt::RightButton)
        return;
    // The threshold FormCreate set for the whole application.
    if (auto* caption = ModuleCaption(sender))
        caption->BeginDrag(QApplication::startDragDistance());
}

void TForm3::Panel1DragOver(QObject* sender, QObject* source, bool* accept)
{
    Q_UNUSED(sender);
    *accept = ModuleCaption(source) != nullptr;
}

void TForm3::Panel1DragDrop(QObject* sender, QObject* source)
{
    const kovalt::TileCaption* from = ModuleCaption(source);
    const kovalt::TileCaption* onto = ModuleCaption(sender);
    if (!from || !onto)
        return;
    kovalt::RotateSlots(kovalt::Tiles(), kovalt::TagOf(from), kovalt::TagOf(onto));
    // A failed write reaches the general error report; the tiles keep their new order.
    kovalt::UlozModuly();
}
