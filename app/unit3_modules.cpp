// Module mode: the tiles, scrolling and launching.
#include "app/unit3.h"

#include "app/firstpaint.h"
#include "app/notice.h"
#include "app/picture.h"
#include "modules/gradientpanel.h"
#include "modules/icons.h"
#include "modules/launch.h"
#include "modules/layout.h"
#include "modules/modulelist.h"
#include "modules/moduletile.h"
#include "modules/tilewidgets.h"
#include "servers/settingsfile.h"
#include "util/error.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

// Red sits in the lowest byte.
QColor ColourOf(int colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

} // namespace

void TForm3::NaplnExe()
{
    auto& tiles = kovalt::Tiles();
    if (!tiles.Connected) {
        QString label;
        try {
            label = kovalt::NazevServeru();
        } catch (const kovalt::Error&) {
            // Without a settings file the notice still shows and the run still ends.
        }
        Hlaseni(QStringLiteral("Kovalt05"), kovalt::ConnectionErrorText(label), QStringLiteral("OK"), QString());
        close();
        EndRun(0);
        return;
    }
    m_building = true;
    // At start-up the bar shows with its first tile and the column then appears tile by tile. It
    // shows where the finished column will stand and in the stored look, which FormShow gives it
    // after the fill, so the window does not jump or flash while it fills.
    const bool showWhileFilling = m_state == RunState::Filling && !isVisible();
    // Most tiles start the same program; its icon is taken once per build.
    const kovalt::IconBuildCache iconCache;
    const int screenHeight = ScreenSize().height();
    tiles.ServerMode = false;
    tiles.First = 0;
    tiles.Last = 0;
    tiles.ClearSlots();
    kovalt::NactiModuly();
    const int w = SirkaIkony();
    move(x(), 10);
    resize(kovalt::ModuleFormWidth(w), height());
    tiles.First = 1;
    QColor text = ColourOf(m_textColor);
    const bool sizedAhead = showWhileFilling && tiles.Count > 0;
    if (sizedAhead) {
        const kovalt::ColumnLayoutResult column =
            kovalt::LayOutColumn(screenHeight, kovalt::ModuleTileHeight(w), tiles.Count, height());
        resize(width(), column.formHeight);
        move(x(), column.formTop);
        RestorePlacement();
        const kovalt::Appearance look = FormStorage1.ReadAppearance();
        setWindowOpacity((look.opacity & 0xFF) / 255.0);
        text = ColourOf(look.textColour);
    }
    kovalt::ColumnLayout layout(screenHeight, kovalt::ModuleTileHeight(w));
    for (int j = 1; j <= tiles.Count; ++j) {
        const kovalt::TilePlacement placement = layout.Place(j);
        if (placement.formHeight > 0 && !sizedAhead)
            resize(width(), placement.formHeight);
        tiles.Last = layout.Last();
        const kovalt::ModuleTileControls tile = kovalt::MakeModuleTile(tiles, this, j, w, placement, text);
        if (sizedAhead)
            tile.caption->SetTextColor(text);
        connect(tile.panel, &kovalt::GradientPanel::clicked, this, [this, p = tile.panel] { JvGradient1Click(p); });
        kovalt::TileCaption* caption = tile.caption;
        connect(caption, &kovalt::TileCaption::clicked, this, [this, caption] { Jv2Click(caption); });
        connect(caption, &kovalt::TileCaption::mousePressed, this,
                [this, caption](Qt::MouseButton button, QPoint pos) { Panel1MouseDown(caption, button, pos); });
        connect(caption, &kovalt::TileCaption::dragOver, this,
                [this, caption](QObject* source, bool* accept) { Panel1DragOver(caption, source, accept); });
        connect(caption, &kovalt::TileCaption::dropped, this,
                [this, caption](QObject* source) { Panel1DragDrop(caption, source); });
        connect(tile.image, &kovalt::TileImage::clicked, this, [this, i = tile.image] { Jv3Click(i); });
        NastavIkonu(j);
        if (sizedAhead && !isVisible())
            show();
        // The column appears tile by tile while later icons are still being taken.
        QCoreApplication::processEvents();
    }
    tiles.Last = layout.Finish(tiles.Count);
    m_building = false;
    UkazNahoruDolu();
    move(x(), kovalt::CentredTop(screenHeight, height()));
    RestorePlacement();
    if (!Ready())
        Timer1->start();
    kovalt::ReportFilled();
}

void TForm3::UkazNahoruDolu()
{
    const kovalt::ArrowState arrows = kovalt::UkazNahoruDoluState(kovalt::Tiles());
    JvImage3->hide();
    JvImage4->hide();
    if (arrows.up)
        JvImage3->show();
    if (arrows.down)
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

namespace {

void Launch(TForm3* bar, QObject* sender)
{
    const int j = kovalt::TagOf(sender);
    if (j < 1 || j > kovalt::MaxTiles)
        return;
    kovalt::StartModule(kovalt::Tiles().Commands[j]);
    bar->showMinimized();
}

// A step that the build is still laying out would start from a Last of 0.
void Scroll(kovalt::ScrollStep (*state)(kovalt::TileList&))
{
    if (!Form3 || Form3->Building())
        return;
    auto& tiles = kovalt::Tiles();
    const kovalt::ScrollStep step = state(tiles);
    if (!step.refreshArrows)
        return;
    kovalt::ApplyScrollStep(tiles, Form3, step);
    Form3->UkazNahoruDolu();
}

} // namespace

void TForm3::JvGradient1Click(QObject* sender)
{
    if (!Ready())
        return;
    const int j = kovalt::TagOf(sender);
    if (j < 1 || j > kovalt::MaxTiles || kovalt::Tiles().Commands[j].isEmpty())
        return;
    Launch(this, sender);
}

void TForm3::Jv2Click(QObject* sender) { Launch(this, sender); }

void TForm3::Jv3Click(QObject* sender) { Launch(this, sender); }

void TForm3::ikona(const QString& exename, const QString& iconame, int rozmer)
{
    kovalt::ikona(exename, iconame, rozmer);
}

int TForm3::SirkaIkony() { return kovalt::SirkaIkony(); }

void TForm3::NastavIkonu(int j) { kovalt::NastavIkonu(j); }

void PosunDolu() { Scroll(&kovalt::PosunDoluState); }

void PosunNahoru() { Scroll(&kovalt::PosunNahoruState); }
