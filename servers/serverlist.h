#pragma once

#include "modules/tilelist.h" // tserver, the entry record of the tile list

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace kovalt {

/// Capacity of the entry table and of the tile column.
inline constexpr int kMaxServers = MaxTiles;

/// The entries of the server part in file order, at most kMaxServers, those without address
/// included. An address line belongs to the latest name line above it; key lines before the
/// first name line and blocks beyond the last slot belong to no entry.
QList<tserver> ParseServerEntries(const QStringList& serverPart);
/// Bubble sort by name, compared linguistically in the given locale without regard to case;
/// entries whose names compare equal keep their order.
void SortServers(QList<tserver>& servers, const QLocale& locale = QLocale());
/// Removes the entries that have no address; the rest keep their order.
void DropServersWithoutIp(QList<tserver>& servers);
/// The tiles of server mode: parsed, sorted, then freed of entries without address.
QList<tserver> ServerTiles(const QStringList& serverPart, const QLocale& locale = QLocale());
/// The 1-based number of the last active entry; 0 when none is active.
int ActiveServerNumber(const QList<tserver>& servers);

} // namespace kovalt
