#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <qnamespace.h>

#include <optional>

namespace kovalt {

/// What the bar tells the store about itself; the store never touches a window.
struct WindowSnapshot {
    QSize screenSize;       ///< the primary screen, in pixels
    int pixelsPerInch = 96; ///< the primary screen's logical pixels per inch
    QRect normalGeometry;   ///< the bar's normal (not minimised, not maximised) geometry
    Qt::WindowStates state = Qt::WindowNoState;
};

/// The window system's placement record of the bar, as the store writes it.
struct PlacementRecord {
    int flags = 0;
    int showCmd = 1; ///< 1 normal, 2 minimised, 3 maximised
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    int left = 0, top = 0, right = 0, bottom = 0; ///< right and bottom exclusive
};

/// The stored opacity (0 to 255) and text colour (red in the lowest byte).
struct Appearance {
    int opacity = 255;
    int textColour = 16777215;
};

/// The outcome of a save that must not stop the bar from closing.
struct CloseReport {
    bool positionSaved = false;
    bool appearanceWritten = false;
    /// The message to show; only the first write failure of the run gives one.
    QString failure;
};

/// The record Qt can give: no flags, no minimised or maximised positions.
PlacementRecord RecordOf(const WindowSnapshot& window);
/// "(1920x1080)" for a 1920 x 1080 screen.
QString ScreenSuffix(QSize screen);
/// The opacity a stored "AlphaBlendValue" gives: its low 8 bits, so 300 gives 44 and -1 gives 255.
int OpacityFromStored(int stored);
/// The store's file name for a program file: its extension replaced by ".INI".
QString StoreFileName(const QString& programFileName);
/// The existing file of that name in dir, compared without regard to case; "<base>.ini" first,
/// then the exact name, then any other spelling. When none exists, dir + "<base>.ini".
QString ResolveStorePath(const QString& dir, const QString& storeFileName);

/// `FormStorage1`: the bar's position, opacity and text colour in section "TForm3" of the INI file
/// named after the program file. Every call reads or writes the file afresh. Writes are atomic and
/// throw Error "Unable to write to <path>".
class PlacementStore {
public:
    static constexpr int kDefaultOpacity = 255;
    static constexpr int kDefaultTextColour = 16777215;

    /// The running program's directory (ProgramDir, looked up at each call) and file name.
    PlacementStore();
    PlacementStore(QString programDir, QString programFileName);

    /// The file and section that reads and writes go to now.
    QString FilePath() const;
    QString Section() const;
    /// Replace the default file or section; an empty text restores the default.
    void SetFileName(const QString& path);
    void SetSectionName(const QString& section);

    QString ReadString(const QString& key, const QString& def) const;
    int ReadInteger(const QString& key, int def) const;
    void WriteString(const QString& key, const QString& value);
    void WriteInteger(const QString& key, int value);

    /// Where the bar goes, or nothing when no stored position applies. Only left and top are
    /// stored; the bar keeps its size. Allows saving from now on.
    std::optional<QPoint> RestorePosition(const WindowSnapshot& window);
    /// Writes every placement key; false (nothing written) before the first restore of the run.
    bool SavePosition(const WindowSnapshot& window, bool destroying);
    bool IsRestored() const { return m_restored; }
    bool IsSavedSinceRestore() const { return m_saved; }

    /// "AlphaBlendValue" (low 8 bits) and "FontColor", with their defaults.
    Appearance ReadAppearance() const;
    /// The bar calls this once it shows the stored opacity and colour; before, the close
    /// sequence leaves them alone, so a start that never applied them cannot overwrite them.
    void MarkAppearanceApplied() { m_appearanceApplied = true; }
    bool IsAppearanceApplied() const { return m_appearanceApplied; }
    /// `FormClose`'s writes; false (nothing written) while the stored appearance is not applied.
    bool WriteAppearance(int opacity, int textColour);

    /// The close sequence: the position save, then `FormClose`'s writes. Never throws.
    CloseReport CloseSequence(const WindowSnapshot& window, int opacity, int textColour);
    /// The session is ending (log off, shut down): the position save. Never throws.
    CloseReport SaveOnSessionEnd(const WindowSnapshot& window);
    /// The bar is destroyed: saves only when nothing was saved since the last restore. Never throws.
    CloseReport SaveOnDestroy(const WindowSnapshot& window);

private:
    QString DefaultFilePath() const;
    QString TakeFailure(const QString& message);

    QString m_programDir;
    QString m_programFileName;
    QString m_fileName;
    QString m_sectionName;
    bool m_restored = false;
    bool m_saved = false;
    bool m_appearanceApplied = false;
    bool m_failureReported = false;
};

} // namespace kovalt
