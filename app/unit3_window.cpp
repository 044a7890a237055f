// The bar as a window: moving, snapping, fading, minimise and close, the placement store.
#include "app/unit3.h"

#include "app/application.h"
#include "app/notice.h"
#include "app/picture.h"
#include "app/windowmath.h"
#include "modules/gradientpanel.h"
#include "modules/tilewidgets.h"

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#ifdef Q_OS_WIN
#include "app/win32/window_win.h"
#endif

namespace {

const char* const moverName = "kovaltBarMover";

// The general error report, also when the application object is a plain QApplication.
void ReportFailure(const QString& message)
{
    if (message.isEmpty())
        return;
    if (auto* app = qobject_cast<kovalt::Application*>(QCoreApplication::instance())) {
        app->ShowError(message);
        return;
    }
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    kovalt::MessageBox::error(kovalt::Application::TitleFromProgramFile(program),
                              kovalt::Application::ReportText(message));
}

QColor ColourOf(int colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

// Follows one move of the bar to its end. Where the window system refuses to move the bar
// (X11 without a window manager) it moves the bar with the pointer itself.
class BarMover : public QObject {
public:
    explicit BarMover(TForm3* bar) : QObject(bar), m_bar(bar), m_label(bar->Label1)
    {
        setObjectName(QLatin1String(moverName));
        m_settle.setSingleShot(true);
        m_settle.setInterval(SettleMs);
        connect(&m_settle, &QTimer::timeout, this, &BarMover::Settled);
    }

    void NotePress(QPoint global)
    {
        m_pressGlobal = global;
        m_pressPos = m_bar->pos();
    }

    void Begin(bool manual)
    {
        if (m_active)
            return;
        m_active = true;
        m_manual = manual;
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool Active() const { return m_active; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_active) {
            // Compared with the pointers taken at construction: events still arrive while the bar is
            // being destroyed, when its members must not be read any more.
            if (watched == m_label && event->type() == QEvent::MouseButtonPress)
                NotePress(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            else if (watched == m_bar && event->type() == QEvent::Move && m_settle.isActive())
                m_settle.start();
            return false;
        }
        // The window and each widget on the way see the same event; moving to an absolute place
        // makes the repeats harmless.
        if (!watched->isWidgetType())
            return false;
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_manual && mouse->buttons() != Qt::NoButton)
                m_bar->move(m_pressPos + mouse->globalPosition().toPoint() - m_pressGlobal);
            else if (!m_manual && mouse->buttons() == Qt::NoButton)
                End();
            return m_manual;
        }
        case QEvent::MouseButtonRelease:
            End();
            return m_manual;
        case QEvent::Enter:
            // The window manager gives the pointer back when its move ends.
            if (!m_manual)
                End();
            return false;
        default:
            return false;
        }
    }

private:
    void End()
    {
        m_active = false;
        QCoreApplication::instance()->removeEventFilter(this);
        if (m_manual) {
            m_bar->WMExitSizeMove();
            return;
        }
        // The window manager's last placement may arrive after the pointer came back (openbox
        // sends it after the button's release): snap once the bar has stopped moving.
        m_bar->installEventFilter(this);
        m_settle.start();
    }

    void Settled()
    {
        m_bar->removeEventFilter(this);
        m_bar->WMExitSizeMove();
    }

    static constexpr int SettleMs = 250;

    TForm3* m_bar;
    const QObject* m_label;
    QPoint m_pressGlobal;
    QPoint m_pressPos;
    bool m_active = false;
    bool m_manual = false;
    QTimer m_settle;
};

BarMover* MoverOf(TForm3* bar) { return static_cast<BarMover*>(bar->findChild<QObject*>(QLatin1String(moverName))); }

// Asks the window system to move the bar; follows the move to its end, where snapping happens.
void StartMove(TForm3* bar)
{
    BarMover* mover = MoverOf(bar);
    if (!mover || mover->Active())
        return;
    QWindow* w = bar->windowHandle();
    const bool bySystem = w && w->startSystemMove();
#ifdef Q_OS_WIN
    // Windows reports the end of its move with WM_EXITSIZEMOVE.
    if (bySystem)
        return;
#endif
    mover->Begin(!bySystem);
}

} // namespace

void TForm3::ConnectWindowEvents()
{
    auto* mover = new BarMover(this);
    Label1->installEventFilter(mover);
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { WMQueryEndSession(); });
#endif
}

kovalt::WindowSnapshot TForm3::Snapshot() const
{
    kovalt::WindowSnapshot s;
    s.screenSize = ScreenSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        s.pixelsPerInch = qRound(screen->logicalDotsPerInch());
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

// The position save goes with FormClose's writes, so a store that cannot be written is reported
// once and the bar closes all the same.
void TForm3::FormClose() { ReportFailure(FormStorage1.CloseSequence(Snapshot(), m_opacity, m_textColor).failure); }

void TForm3::WMQueryEndSession() { ReportFailure(FormStorage1.SaveOnSessionEnd(Snapshot()).failure); }

void TForm3::FormDestroy() { ReportFailure(FormStorage1.SaveOnDestroy(Snapshot()).failure); }

void TForm3::Label1MouseDown() { StartMove(this); }

void TForm3::Label1MouseMove() { Label1->setCursor(Cursor_1()); }

// A press on the bar's own surface moves it, as a press on a title bar would.
void TForm3::mousePressEvent(QMouseEvent* event)
{
    if (BarMover* mover = MoverOf(this); mover && !mover->Active())
        mover->NotePress(event->globalPosition().toPoint());
    StartMove(this);
    event->accept();
}

bool TForm3::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
#ifdef Q_OS_WIN
    if (kovalt::win32::IsExitSizeMove(eventType, message))
        WMExitSizeMove();
#endif
    return QWidget::nativeEvent(eventType, message, result);
}

void TForm3::WMExitSizeMove() { move(kovalt::SnapToEdges(pos(), width(), ScreenSize().width())); }

void TForm3::FormMouseWheelDown(QPoint screenPos)
{
    const auto r = kovalt::WheelStep(screenPos.y(), y(), kovalt::WheelNotch::TowardUser, m_opacity);
    if (r.action == kovalt::WheelAction::ScrollDown) {
        PosunDolu();
        return;
    }
    SetOpacity(r.opacity);
    if (r.textColour)
        NastavBarvuPisma(*r.textColour);
}

void TForm3::FormMouseWheelUp(QPoint screenPos)
{
    const auto r = kovalt::WheelStep(screenPos.y(), y(), kovalt::WheelNotch::AwayFromUser, m_opacity);
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
    const QColor c = ColourOf(colour);
    auto& tiles = kovalt::Tiles();
    for (int j = 1; j <= kovalt::MaxTiles; ++j) {
        if (kovalt::TileCaption* caption = tiles.Captions[j])
            caption->SetTextColor(c);
        if (kovalt::GradientPanel* panel = tiles.Panels[j])
            panel->SetHeadingColor(c);
    }
    if (Form3)
        Form3->SetFontColor(colour);
}
