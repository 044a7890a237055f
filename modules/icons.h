#pragma once

#include "tilelist.h"

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

namespace kovalt {

/// Caption of a module tile whose icon could not be taken.
inline const QString UnlaunchableCaption = QStringLiteral("NELZE SPUSTIT");

/// The desktop's large icon of a file: the icon with its mask, and its colour bitmap without it.
struct ShellIcon {
    QImage icon;
    QImage colour;
};

/// The platform's large icon of an existing file (32 x 32 off Windows); none when it gives none.
std::optional<ShellIcon> PlatformLargeIcon(const QString& path);
/// Replaces the platform's icon source; an empty function restores it. For tests.
using ShellIconSource = std::function<std::optional<ShellIcon>(const QString& path)>;
void SetShellIconSource(ShellIconSource source);
std::optional<ShellIcon> ShellLargeIcon(const QString& path);

#ifdef Q_OS_WIN
/// The icon's colour bitmap (HBITMAP), which then belongs to the caller; the mask is released.
/// 0 when the icon's information cannot be obtained. icon is an HICON.
void* IconColorBitmap(void* icon);
#endif

/// What one extraction gave: the icon, and whether it went through the temporary files.
struct IconOutcome {
    QImage image;
    bool inFiles = false;
    bool Taken() const { return !image.isNull(); }
};

/// The bitmap file beside an icon file: ".ico" becomes ".bmp" in the file name only.
QString BitmapFileFor(const QString& iconame);

/// While one lives (the first of nested ones counts), ikona asks the desktop for the icon of a program
/// file only once and gives the same icon for every further module of that file; the scratch files
/// are still written, and NastavIkonu still reads them back, for every module. For one build of the
/// column, where the same program usually stands behind many tiles. A source set with
/// SetShellIconSource is asked for every module all the same.
class IconBuildCache {
public:
    IconBuildCache();
    ~IconBuildCache();
    IconBuildCache(const IconBuildCache&) = delete;
    IconBuildCache& operator=(const IconBuildCache&) = delete;

private:
    bool m_owner = false;
};

/// Takes the icon of the program of command exename: deletes iconame, then writes the colour
/// bitmap to BitmapFileFor(iconame) and the icon to iconame. When those files cannot be written
/// the icon is still given, in memory only. rozmer is not used.
IconOutcome ikona(const QString& exename, const QString& iconame, int rozmer);

/// The icon width of the first module, in slot order, whose icon can be taken; 0 when none.
int SirkaIkony(const TileList& list, const QString& programDir);
int SirkaIkony();

/// Fills the picture of slot j with its module's icon (removing "icn.ico" again), or marks the tile
/// unlaunchable. True when the picture holds an icon.
bool NastavIkonu(TileList& list, int j, const QString& programDir);
bool NastavIkonu(int j);

/// Caption "NELZE SPUSTIT", no hint, no command; the heading and Descriptions stay.
void MarkUnlaunchable(TileList& list, int j);

} // namespace kovalt
