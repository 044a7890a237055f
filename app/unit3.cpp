#include "app/unit3.h"

#include "app/flatprogressbar.h"
#include "app/picture.h"
#include "app/windowmath.h"
#include "util/strutil.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>

#include <cstdlib>
#include <optional>

// Resources of a static library must be pulled in by name.
static void InitResources() { Q_INIT_RESOURCE(kovalt05); }

TForm3* Form3 = nullptr;

namespace {

std::optional<QSize> screenOverride;

const char* const anchorsProperty = "kovaltAnchors";
const char* const designRectProperty = "kovaltDesignRect";
const char* const designParentProperty = "kovaltDesignParent";

// Keeps the distance to each anchored edge of the parent, as the window definition asks.
void Anchor(QWidget* control, Qt::Edges edges)
{
    control->setProperty(anchorsProperty, int(edges));
    control->setProperty(designRectProperty, control->geometry());
    control->setProperty(designParentProperty, control->parentWidget()->size());
}

int AnchoredSpan(bool first, bool second, int pos, int extent, int grown, int* outPos)
{
    *outPos = pos;
    if (first && second)
        return extent + grown;
    if (second)
        *outPos = pos + grown;
    return extent;
}

QPixmap Art(const char* name) { return QPixmap(QStringLiteral(":/kovalt05/") + QLatin1String(name)); }

kovalt::Picture* MakePicture(QWidget* parent, const char* name, const char* art, QRect rect, Qt::Edges edges,
                             bool shown, bool hand)
{
    auto* p = new kovalt::Picture(parent);
    p->setObjectName(QLatin1String(name));
    p->SetPixmap(Art(art));
    // Child coordinates count from inside Panel1's one-pixel border.
    p->setGeometry(rect.translated(1, 1));
    if (hand)
        p->setCursor(Qt::PointingHandCursor);
    Anchor(p, edges);
    p->setVisible(shown);
    return p;
}

} // namespace

bool ServerModeSelected(const QStringList& arguments, bool controlKeyDown)
{
    if (arguments.size() >= 2 && kovalt::UpperAscii(arguments.at(1)) == QLatin1String("/V"))
        return true;
    return controlKeyDown;
}

QSize ScreenSize()
{
    if (screenOverride)
        return *screenOverride;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1920, 1080);
}

void SetScreenSizeOverride(QSize size)
{
    if (size.isEmpty())
        screenOverride.reset();
    else
        screenOverride = size;
}

const QCursor& Cursor_1()
{
    // Kept for the whole run; a static QCursor would outlive the application object.
    static const QCursor* cursor = new QCursor(Art("cursor1.png"), 0, 0);
    return *cursor;
}

TForm3::TForm3(QWidget* parent) : QWidget(parent), m_arguments(QCoreApplication::arguments())
{
    InitResources();
    Form3 = this;
    m_controlKeyDown = [] { return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier); };
    BuildControls();
    ConnectWindowEvents();
    FormCreate();
}

TForm3::~TForm3()
{
    FormDestroy();
    kovalt::Tiles().ReleaseControlsNow();
    if (Form3 == this)
        Form3 = nullptr;
}

void TForm3::BuildControls()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Kovalt05"));
    // Its own top-level window, so its own taskbar button.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    resize(280, 47);
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(12);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    QPalette body = QApplication::palette();
    body.setColor(QPalette::Window, QColor(183, 255, 183));
    body.setColor(QPalette::WindowText, Qt::black);
    Panel1->setPalette(body);
    Panel1->setGeometry(20, 0, 200, 47);
    Anchor(Panel1, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    Panel1->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("Kovalt05"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont title(QStringLiteral("Tahoma"));
    title.setPixelSize(13);
    title.setBold(true);
    Label1->setFont(title);
    Label1->setPalette(QApplication::palette());
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setGeometry(17, 1, 138, 16);
    Label1->setMouseTracking(true);
    Anchor(Label1, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
    Label1->installEventFilter(this);

    JvImage1 = MakePicture(Panel1, "JvImage1", "ready.png", {50, 12, 83, 15}, Qt::RightEdge | Qt::BottomEdge, false,
                           false);
    JvImage2 = MakePicture(Panel1, "JvImage2", "close.png", {160, 2, 16, 16}, Qt::TopEdge | Qt::RightEdge, true, true);
    JvImage3 = MakePicture(Panel1, "JvImage3", "up.png", {2, 2, 16, 16}, Qt::LeftEdge | Qt::TopEdge, false, true);
    JvImage4 = MakePicture(Panel1, "JvImage4", "down.png", {2, 14, 16, 16}, Qt::LeftEdge | Qt::BottomEdge, false, true);
    JvImage5 =
        MakePicture(Panel1, "JvImage5", "minimise.png", {180, 2, 16, 16}, Qt::TopEdge | Qt::RightEdge, true, true);
    connect(JvImage2, &kovalt::Picture::clicked, this, &TForm3::Panel1DblClick);
    connect(JvImage3, &kovalt::Picture::clicked, this, &TForm3::JvImage3Click);
    connect(JvImage4, &kovalt::Picture::clicked, this, &TForm3::JvImage4Click);
    connect(JvImage5, &kovalt::Picture::clicked, this, &TForm3::JvImage5Click);

    // Borderless, green on green, no text; drawn by itself, as a style sheet costs a style per widget.
    JvProgressBar1 = new kovalt::FlatProgressBar(QColor(0, 128, 0), QColor(183, 255, 183), Panel1);
    JvProgressBar1->setObjectName(QStringLiteral("JvProgressBar1"));
    JvProgressBar1->setRange(0, 100);
    JvProgressBar1->setValue(0);
    JvProgressBar1->setTextVisible(false);
    JvProgressBar1->setGeometry(25, 19, 143, 10);
    Anchor(JvProgressBar1, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    JvProgressBar1->hide();
    // As at every later resize of the panel: the ready indicator and the down arrow sit at its foot.
    Panel1Resize();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    // A coarse timer may fire up to 5 % early; the check must wait the full second.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &TForm3::Timer1Timer);
}

void TForm3::ApplyAnchors(QWidget* parent)
{
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || !w->property(anchorsProperty).isValid())
            continue;
        const auto edges = Qt::Edges(w->property(anchorsProperty).toInt());
        const QRect design = w->property(designRectProperty).toRect();
        const QSize designParent = w->property(designParentProperty).toSize();
        int x = 0;
        int y = 0;
        const int width = AnchoredSpan(edges.testFlag(Qt::LeftEdge), edges.testFlag(Qt::RightEdge), design.x(), design.width(),
                                       parent->width() - designParent.width(), &x);
        const int height = AnchoredSpan(edges.testFlag(Qt::TopEdge), edges.testFlag(Qt::BottomEdge), design.y(), design.height(),
                                        parent->height() - designParent.height(), &y);
        w->setGeometry(x, y, width, height);
    }
}

void TForm3::FormCreate()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setStartDragDistance(DragThreshold);
    Label1->setCursor(Cursor_1());
}

void TForm3::setVisible(bool visible)
{
    if (visible && !m_shown && !Ending()) {
        m_shown = true;
        RestorePlacement();
        FormShow();
    }
    // A run that ended while filling never shows the bar.
    if (visible && Ending())
        return;
    QWidget::setVisible(visible);
}

void TForm3::FormShow()
{
    m_state = RunState::Filling;
    const bool serverMode = ServerModeSelected(m_arguments, false) || (m_controlKeyDown && m_controlKeyDown());
    if (serverMode) {
        const kovalt::Appearance stored = FormStorage1.ReadAppearance();
        SetOpacity(stored.opacity);
        SetFontColor(stored.textColour);
        FormStorage1.MarkAppearanceApplied();
        NabidkaServer();
        NastavBarvuPisma(m_textColor);
    } else {
        kovalt::Tiles().Connected = TestCon();
        NaplnExe();
        if (Ending())
            return;
        const kovalt::Appearance stored = FormStorage1.ReadAppearance();
        SetOpacity(stored.opacity);
        SetFontColor(stored.textColour);
        FormStorage1.MarkAppearanceApplied();
        NastavBarvuPisma(m_textColor);
    }
    if (m_state == RunState::Filling)
        m_state = Ready() ? RunState::Ready : RunState::Waiting;
    emit modeSelected(serverMode);
}

void TForm3::closeEvent(QCloseEvent* event)
{
    m_state = RunState::Ending;
    Timer1->stop();
    event->accept();
    FormClose();
}

void TForm3::Timer1Timer()
{
    Timer1->stop();
    m_state = RunState::Checking;
    KontrolaNV();
    if (m_state == RunState::Checking && Ready())
        m_state = RunState::Ready;
}

bool TForm3::Ready() const { return !JvImage1->isHidden(); }

void TForm3::SetOpacity(int opacity)
{
    m_opacity = opacity & 0xFF;
    setWindowOpacity(m_opacity / 255.0);
}

void TForm3::SetFontColor(int colour)
{
    m_textColor = colour;
    QPalette pal = palette();
    // Red sits in the lowest byte.
    pal.setColor(QPalette::WindowText, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    setPalette(pal);
}

void TForm3::EndRun(int exitCode)
{
    m_state = RunState::Ending;
    m_exitCode = exitCode;
    Timer1->stop();
    QCoreApplication::exit(exitCode);
}

void TForm3::wheelEvent(QWheelEvent* event)
{
    const int notches = kovalt::TakeWheelNotches(m_wheelRemainder, event->angleDelta().y());
    const QPoint at = event->globalPosition().toPoint();
    for (int i = 0; i < std::abs(notches); ++i) {
        if (notches > 0)
            FormMouseWheelUp(at);
        else
            FormMouseWheelDown(at);
    }
    event->ignore();
}

void TForm3::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ApplyAnchors(this);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1) {
        if (event->type() == QEvent::MouseButtonPress) {
            Label1MouseDown();
            return true;
        }
        if (event->type() == QEvent::MouseMove)
            Label1MouseMove();
    } else if (watched == Panel1) {
        if (event->type() == QEvent::Resize) {
            ApplyAnchors(Panel1);
            Panel1Resize();
        } else if (event->type() == QEvent::MouseButtonPress) {
            // Panel1 is a control of its own: a press on it does not move the bar.
            event->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
