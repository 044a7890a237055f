#include "serverlist.h"

#include "settingsfile.h"

#include <QCollator>

namespace kovalt {

QList<tserver> ParseServerEntries(const QStringList& serverPart) {
    QList<tserver> servers;
    // Counts name lines past the table too, so the blocks beyond it keep their lines to themselves.
    int n = 0;
    for (const QString& line : serverPart) {
        const LineKind kind = ClassifyLine(line);
        if (kind == LineKind::Name) {
            ++n;
            if (n <= kMaxServers) servers.append(tserver{WithoutSemicolons(line), {}, false});
            continue;
        }
        if (n < 1 || n > kMaxServers) continue;
        tserver& entry = servers[n - 1];
        if (kind == LineKind::AddressCommented) {
            entry.ip = WithoutSemicolons(line);
        } else if (kind == LineKind::AddressActive) {
            entry.ip = WithoutSemicolons(line);
            entry.aktivni = true;
        }
    }
    return servers;
}

void SortServers(QList<tserver>& servers, const QLocale& locale) {
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (qsizetype i = 0; i + 1 < servers.size(); ++i) {
            if (servers[i + 1].server.isEmpty()) break;
            if (collator.compare(servers[i].server, servers[i + 1].server) > 0) {
                servers.swapItemsAt(i, i + 1);
                swapped = true;
            }
        }
    }
}

void DropServersWithoutIp(QList<tserver>& servers) {
    servers.removeIf([](const tserver& entry) { return entry.ip.isEmpty(); });
}

QList<tserver> ServerTiles(const QStringList& serverPart, const QLocale& locale) {
    QList<tserver> servers = ParseServerEntries(serverPart);
    SortServers(servers, locale);
    DropServersWithoutIp(servers);
    return servers;
}

int ActiveServerNumber(const QList<tserver>& servers) {
    int active = 0;
    for (qsizetype j = 0; j < servers.size(); ++j) {
        if (servers[j].aktivni) active = int(j) + 1;
    }
    return active;
}

} // namespace kovalt
