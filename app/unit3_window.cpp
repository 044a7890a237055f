// The bar as a window: moving, snapping, fading, minimise and close, the placement store.
#include "app/unit3.h"

#include "app/application.h"
#include "app/notice.h"
#include "app/picture.h"
#include "app/windowmath.h"
#include "modules/gradientpanel.h"
#include "modules/tilewidgets.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

namespace {

void ReportFailure(const QString& message)
{
    if (message.isEmpty())
        return;
    if (auto* app = qobject_cast<kovalt::Application*>(QCoreApplication::instance()))
        app->ShowError(message);
}

} // namespace

kovalt::WindowSnapshot TForm3::Snapshot() const
{
    kovalt::WindowSnapshot s;
    s.screenSize = ScreenSize();
    s.normalGeometry = isMinimized() ? normalGeometry() : geometry();
    if (s.normalGeometry.isEmpty())
        s.normalGeometry = geometry();
    s.state = windowState();
    return s;
}

void TForm3::RestorePlacement()
{
    if (const auto place = FormStorage1.RestorePosition(Snapshot()))
        move(*place);
}

void TForm3::SavePlacement() { FormStorage1.SavePosition(Snapshot(), false); }

void TForm3::FormDestroy() { ReportFailure(FormStorage1.SaveOnDestroy(Snapshot()).failure); }

void TForm3::Label1MouseDown()
{
    if (QWindow* w = windowHandle())
        w->startSystemMove();
}

void TForm3::Label1MouseMove() { Label1->setCursor(Cursor_1()); }

// A press on the bar's own surface moves it, as a press on a title bar would.
void TForm3::mousePressEvent(QMouseEvent* event)
{
    if (QWindow* w = windowHandle())
        w->startSystemMove();
    event->accept();
}

void TForm3::WMExitSizeMove() { move(kovalt::SnapToEdges(pos(), width(), ScreenSize().width())); }

void TForm3::FormMouseWheelDown(QPoint screenPos)
{
    const auto r = kovalt::WheelStep(screenPos.y(), y(), kovalt::WheelNotch::TowardUser, m_opacity);
    if (r.action == kovalt::WheelAction::ScrollDown) {
        PosunDolu();
        return;
    }
    if (r.action == kovalt::WheelAction::ScrollUp) {
        PosunNahoru();
        return;
    }
    SetOpacity(r.opacity);
    if (r.textColour)
        NastavBarvuPisma(*r.textColour);
}

void TForm3::FormMouseWheelUp(QPoint screenPos)
{
    const auto r = kovalt::WheelStep(screenPos.y(), y(), kovalt::WheelNotch::AwayFromUser, m_opacity);
    if (r.action == kovalt::WheelAction::ScrollDown) {
        PosunDolu();
        return;
    }
    if (r.action == kovalt::WheelAction::ScrollUp) {
        PosunNahoru();
        return;
    }
    SetOpacity(r.opacity);
    if (r.textColour)
        NastavBarvuPisma(*r.textColour);
}

void TForm3::JvImage5Click()
{
    if (!Ready())
        return;
    showMinimized();
}

void TForm3::Panel1DblClick()
{
    if (!Ready())
        return;
    close();
}

void TForm3::Panel1Resize()
{
    // Tops count from inside the panel's border.
    const int top = Panel1->height() - 20 + 1;
    JvImage1->move(JvImage1->x(), top);
    JvImage4->move(JvImage4->x(), top);
}

void NastavBarvuPisma(int colour)
{
    const QColor c(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    auto& tiles = kovalt::Tiles();
    for (int j = 1; j <= kovalt::MaxTiles; ++j) {
        if (kovalt::TileCaption* caption = tiles.Captions[j]) {
            QPalette pal = caption->palette();
            pal.setColor(QPalette::WindowText, c);
            caption->setPalette(pal);
        }
        if (tiles.Panels[j])
            tiles.Panels[j]->SetHeadingColor(c);
    }
    if (Form3)
        Form3->SetFontColor(colour);
}
