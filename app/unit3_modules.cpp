// Module mode: the tiles, scrolling and launching. For now the column stays empty.
#include "app/unit3.h"

#include "app/notice.h"
#include "app/picture.h"
#include "servers/settingsfile.h"

#include <QTimer>

void TForm3::NaplnExe()
{
    auto& tiles = kovalt::Tiles();
    if (!tiles.Connected) {
        Hlaseni(QStringLiteral("Kovalt05"), kovalt::ConnectionErrorText(kovalt::NazevServeru()), QStringLiteral("OK"),
                QString());
        close();
        EndRun(0);
        return;
    }
    tiles.ServerMode = false;
    tiles.ClearSlots();
    tiles.Count = 0;
    tiles.First = 1;
    tiles.Last = 0;
    UkazNahoruDolu();
    RestorePlacement();
    if (!Ready())
        Timer1->start();
}

void TForm3::UkazNahoruDolu()
{
    const auto& tiles = kovalt::Tiles();
    JvImage3->hide();
    JvImage4->hide();
    if (tiles.First > 1)
        JvImage3->show();
    if (tiles.Last < tiles.Count)
        JvImage4->show();
}

void TForm3::JvImage3Click()
{
    if (!Ready())
        return;
    PosunNahoru();
}

void TForm3::JvImage4Click()
{
    if (!Ready())
        return;
    PosunDolu();
}

void TForm3::JvGradient1Click(QObject* sender)
{
    Q_UNUSED(sender);
    if (!Ready())
        return;
}

void TForm3::Jv2Click(QObject* sender) { Q_UNUSED(sender); }

void TForm3::Jv3Click(QObject* sender) { Q_UNUSED(sender); }

void TForm3::ikona(const QString& exename, const QString& iconame, int rozmer)
{
    Q_UNUSED(exename);
    Q_UNUSED(iconame);
    Q_UNUSED(rozmer);
}

int TForm3::SirkaIkony() { return 0; }

void TForm3::NastavIkonu(int j) { Q_UNUSED(j); }

void PosunDolu() {}

void PosunNahoru() {}
