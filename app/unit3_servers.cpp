// Server mode: the server tiles and the activation of a server.
#include "app/unit3.h"

#include "app/application.h"
#include "app/notice.h"
#include "modules/gradientpanel.h"
#include "modules/layout.h"
#include "modules/servertile.h"
#include "modules/tilewidgets.h"
#include "servers/serverlist.h"
#include "servers/settingsfile.h"
#include "util/error.h"
#include "util/textfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>

namespace {

// The general error report, also where the application object is a plain one (the window tests).
void ReportError(const QString& message)
{
    if (auto* app = qobject_cast<kovalt::Application*>(QCoreApplication::instance())) {
        app->ShowError(message);
        return;
    }
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    kovalt::MessageBox::error(kovalt::Application::TitleFromProgramFile(program),
                              kovalt::Application::ReportText(message));
}

QColor FromColorRef(int colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

} // namespace

void TForm3::NabidkaServer()
{
    auto& tiles = kovalt::Tiles();
    tiles.ServerMode = true;
    SettingsLines.clear();
    LogonLines.clear();
    // An unreadable file goes on to the general error report: no tiles, no update check.
    SettingsLines = kovalt::ReadTextFile(kovalt::SettingsFilePath()).lines;
    LogonLines = kovalt::ExtractServerPart(SettingsLines);
    const QList<kovalt::tserver> entries = kovalt::ServerTiles(LogonLines);
    for (int j = 1; j <= kovalt::MaxTiles; ++j)
        tiles.Servers[j] = j <= entries.size() ? entries[j - 1] : kovalt::tserver{};
    NaplnServer();
    JvProgressBar1->show();
    Timer1->start();
}

void TForm3::NaplnServer()
{
    auto& tiles = kovalt::Tiles();
    tiles.Last = 0;
    tiles.ClearSlots();
    int active = 0;
    int n = 0;
    for (int j = 1; j <= kovalt::MaxTiles; ++j) {
        const kovalt::tserver& entry = tiles.Servers[j];
        if (entry.server.isEmpty())
            continue;
        tiles.Names[j] = entry.server;
        tiles.Descriptions[j] = entry.ip;
        tiles.Commands[j].clear();
        if (entry.aktivni)
            active = j;
        ++n;
    }
    move(0, 10);
    tiles.First = 1;
    tiles.Count = n;

    kovalt::ColumnLayout layout(ScreenSize().height(), kovalt::ServerTileHeight);
    for (int j = 1; j <= n; ++j) {
        const kovalt::TilePlacement placement = layout.Place(j);
        if (placement.formHeight > 0)
            resize(width(), placement.formHeight);
        tiles.Last = layout.Last();
        const auto tile = kovalt::MakeServerTile(tiles, this, j, placement, FromColorRef(TextColor()));
        connect(tile.panel, &kovalt::GradientPanel::doubleClicked, this,
                [this, panel = tile.panel] { JvGradient2Click(panel); });
        // Lets the column paint tile by tile; double clicks meanwhile meet the closed gate.
        QCoreApplication::processEvents();
    }
    tiles.Last = layout.Finish(n);

    // One step more than needed: the extra one does nothing once the last tile shows.
    if (active > tiles.Last) {
        const int steps = active - tiles.Last + 1;
        for (int i = 0; i < steps; ++i)
            PosunDolu();
    }
    UkazNahoruDolu();
    if (!windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    raise();
    activateWindow();
}

bool TForm3::AktivujServer(int idx)
{
    auto& tiles = kovalt::Tiles();
    if (idx < 1 || idx > kovalt::MaxTiles)
        return false;
    try {
        kovalt::ActivateServerInFile(kovalt::SettingsFilePath(), SettingsLines, LogonLines,
                                     tiles.Servers[idx].server);
    } catch (const kovalt::Error& e) {
        // The file stays as it was; without the new block there is nothing to test.
        ReportError(e.message());
        return false;
    }
    tiles.Connected = TestCon();
    if (!tiles.Connected)
        Hlaseni(QStringLiteral("Kovalt05"), kovalt::ConnectionErrorText(kovalt::NazevServeru()), QStringLiteral("OK"),
                QString());
    return tiles.Connected;
}

void TForm3::JvGradient2Click(QObject* sender)
{
    if (!Ready())
        return;
    if (!AktivujServer(kovalt::TagOf(sender)))
        return;
    SettingsLines.clear();
    LogonLines.clear();
    setUpdatesEnabled(false);
    NaplnExe();
    setUpdatesEnabled(true);
}
