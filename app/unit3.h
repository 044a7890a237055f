#pragma once

#include "app/placementstore.h"
#include "modules/tilelist.h"
#include "update/idftp.h"
#include "servers/connection.h"

#include <QPoint>
#include <QSize>
#include <QStringList>
#include <QWidget>

#include <functional>

class QFrame;
class QLabel;
class QProgressBar;
class QTimer;

namespace kovalt {
class Picture;
}

/// The bar: the program's only window.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    enum class RunState { Creating, Filling, Waiting, Checking, Ready, Ending };

    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    // Fixed controls; their object names are these names.
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    kovalt::Picture* JvImage1 = nullptr; // ready indicator
    kovalt::Picture* JvImage2 = nullptr; // close
    kovalt::Picture* JvImage3 = nullptr; // scroll up
    kovalt::Picture* JvImage4 = nullptr; // scroll down
    kovalt::Picture* JvImage5 = nullptr; // minimise
    QProgressBar* JvProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    kovalt::PlacementStore FormStorage1;

    // Start-up, mode selection and the close sequence.
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void Timer1Timer();

    // Window behaviour.
    void Label1MouseDown();
    void Label1MouseMove();
    void FormMouseWheelDown(QPoint screenPos);
    void FormMouseWheelUp(QPoint screenPos);
    void JvImage5Click();
    void Panel1DblClick();
    void Panel1Resize();
    void WMExitSizeMove();
    void RestorePlacement();
    void SavePlacement();
    /// The window system asks whether the program may end (log off, shut down).
    void WMQueryEndSession();
    /// The placement store's session-end hook and the title's move watch; called while the bar is built.
    void ConnectWindowEvents();
    /// What the placement store needs to know of the bar.
    kovalt::WindowSnapshot Snapshot() const;

    // Tiles: module mode, scrolling, launching, reordering.
    void NaplnExe();
    void UkazNahoruDolu();
    void JvImage3Click();
    void JvImage4Click();
    void JvGradient1Click(QObject* sender);
    void Jv2Click(QObject* sender);
    void Jv3Click(QObject* sender);
    void ikona(const QString& exename, const QString& iconame, int rozmer);
    int SirkaIkony();
    void NastavIkonu(int j);
    void Panel1MouseDown(QObject* sender, Qt::MouseButton button, QPoint pos);
    void Panel1DragOver(QObject* sender, QObject* source, bool* accept);
    void Panel1DragDrop(QObject* sender, QObject* source);
    /// True while NaplnExe builds the column; scroll requests are ignored until it ends.
    bool Building() const { return m_building; }

    // Server mode and the connection test.
    void NabidkaServer();
    void NaplnServer();
    bool AktivujServer(int idx);
    void JvGradient2Click(QObject* sender);
    bool TestCon();
    kovalt::ZConnection ZConnection1;
    QStringList SettingsLines;
    QStringList LogonLines;

    // Update check.
    void KontrolaNV();
    void IdFTP1Work();
    kovalt::IdFtp IdFTP1;

    /// The readiness gate: true once the ready indicator shows.
    bool Ready() const;
    RunState State() const { return m_state; }
    int Opacity() const { return m_opacity; }
    void SetOpacity(int opacity);
    int TextColor() const { return m_textColor; }
    /// The bar's font colour only; NastavBarvuPisma also gives it to the tiles.
    void SetFontColor(int colour);

    /// Ends the run with this exit code without the close sequence (a failed start after its
    /// close, the installer hand-off). The bar is not shown any more.
    void EndRun(int exitCode);
    bool Ending() const { return m_state == RunState::Ending; }
    int ExitCode() const { return m_exitCode; }

    /// Seams for tests: the command line (program name first) and the Control key at first show.
    void SetArguments(const QStringList& arguments) { m_arguments = arguments; }
    void SetControlKeyProbe(std::function<bool()> probe) { m_controlKeyDown = std::move(probe); }

    void setVisible(bool visible) override;

signals:
    /// The mode selection has run; serverMode tells which mode it chose.
    void modeSelected(bool serverMode);

protected:
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void BuildControls();
    void ApplyAnchors(QWidget* parent);

    RunState m_state = RunState::Creating;
    int m_opacity = 255;
    int m_textColor = 16777215;
    int m_exitCode = 0;
    int m_wheelRemainder = 0;
    bool m_shown = false;
    bool m_building = false;
    QStringList m_arguments;
    std::function<bool()> m_controlKeyDown;
};

/// The one bar of the program (null while none exists).
extern TForm3* Form3;

/// True when the command line (program name first) or the Control key selects server mode.
bool ServerModeSelected(const QStringList& arguments, bool controlKeyDown);

/// Gives the colour to every tile's texts and to the bar's font.
void NastavBarvuPisma(int colour);
/// Scroll the column by one tile.
void PosunDolu();
void PosunNahoru();

/// The primary screen's size; SetScreenSizeOverride lets tests pretend another (empty: the real one).
QSize ScreenSize();
void SetScreenSizeOverride(QSize size);

/// The title cursor (cursor number 42), 32 x 32, hot spot top-left.
constexpr int crCursor1 = 42;
const QCursor& Cursor_1();
/// Drag-and-drop of tiles starts once the pointer moved this far from the press.
constexpr int DragThreshold = 10;
