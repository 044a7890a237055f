#pragma once

#include <QPointer>
#include <QString>

#include <array>

namespace kovalt {

class GradientPanel;
class TileCaption;
class TileImage;

/// Capacity of the tile column.
constexpr int MaxTiles = 50;

/// A fixed array of MaxTiles entries indexed from 1.
template <typename T> class SlotArray {
public:
    T& operator[](int j) {
        Q_ASSERT(j >= 1 && j <= MaxTiles);
        return m_items[std::size_t(j - 1)];
    }
    const T& operator[](int j) const {
        Q_ASSERT(j >= 1 && j <= MaxTiles);
        return m_items[std::size_t(j - 1)];
    }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::array<T, MaxTiles> m_items{};
};

/// One database server entry of server mode.
struct tserver {
    QString server;
    QString ip;
    bool aktivni = false;
};

/// One slot j taken across all arrays of a TileList.
struct TileSlot {
    QPointer<GradientPanel>& Panel;
    QPointer<TileImage>& Icon;
    QPointer<TileCaption>& Caption;
    QString& Command;
    qint32& Top;
    tserver& Server;
    QString& Name;
    QString& Description;
};

/// The column of tiles. Tops: -1 slot unused, 0 tile exists off the form, > 0 its top on the form.
/// Controls are held through QPointer, so a control its parent already released reads as none.
struct TileList {
    SlotArray<QPointer<GradientPanel>> Panels;
    SlotArray<QPointer<TileImage>> Icons;
    SlotArray<QPointer<TileCaption>> Captions;
    SlotArray<QString> Commands;
    SlotArray<qint32> Tops;
    SlotArray<tserver> Servers;
    SlotArray<QString> Names;
    SlotArray<QString> Descriptions;
    /// The module command as read, kept for writing the list when the tile cleared Commands.
    SlotArray<QString> KeptCommands;
    qint32 First = 0;
    qint32 Last = 0;
    qint32 Count = 0;
    bool ServerMode = false;
    bool Connected = false;

    TileSlot Slot(int j);

    /// Releases every slot's caption label, picture and panel (in that order, each once) and sets
    /// every Tops entry to -1; texts, Servers, First, Last and Count stay for the build that follows.
    /// The controls leave the form at once and are deleted when control returns to the event loop,
    /// so a tile's own click handler may start a rebuild.
    void ClearSlots();
    /// Deletes every control at once, for the end of the program (never from a tile's own handler).
    void ReleaseControlsNow();
};

/// The one tile column of the program.
TileList& Tiles();

} // namespace kovalt
