#include "icons.h"
#include "modulelist.h"
#include "tilewidgets.h"

#include "util/error.h"
#include "util/fileutil.h"
#include "util/strutil.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImageWriter>

namespace kovalt {

namespace {
ShellIconSource& IconSourceOverride() {
    static ShellIconSource source;
    return source;
}

const QString IconFile = QStringLiteral("icn.ico");

std::optional<QByteArray> Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) return std::nullopt;
    return bytes;
}
} // namespace

void SetShellIconSource(ShellIconSource source) {
    IconSourceOverride() = std::move(source);
}

std::optional<ShellIcon> ShellLargeIcon(const QString& path) {
    if (IconSourceOverride()) return IconSourceOverride()(path);
    return PlatformLargeIcon(path);
}

namespace {
// What one program file gave during a build: its icon and both scratch files' contents.
struct TakenIcon {
    std::optional<ShellIcon> shell;
    std::optional<QByteArray> bmp;
    std::optional<QByteArray> ico;
};

QHash<QString, TakenIcon>* CurrentBuild = nullptr;
} // namespace

IconBuildCache::IconBuildCache() {
    if (!CurrentBuild) {
        CurrentBuild = new QHash<QString, TakenIcon>;
        m_owner = true;
    }
}

IconBuildCache::~IconBuildCache() {
    if (!m_owner) return;
    delete CurrentBuild;
    CurrentBuild = nullptr;
}

QString BitmapFileFor(const QString& iconame) {
    const qsizetype cut = qMax(iconame.lastIndexOf(u'/'), iconame.lastIndexOf(u'\\')) + 1;
    return iconame.left(cut) + ReplaceNoCase(iconame.mid(cut), QStringLiteral(".ico"), QStringLiteral(".bmp"));
}

namespace {
// Rewrites an existing scratch file in place. Emptying a file that holds data makes ext4 (and other
// file systems with delayed allocation) push it to the disk when it is closed, which would cost a
// disk write for every tile of the column; the bitmap has the same size for every tile.
bool OverwriteInPlace(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return false;
    if (file.write(data) == data.size() && file.resize(data.size())) return true;
    file.close();
    QFile::remove(path);
    return false;
}

// The icon files are scratch files read back at once; they need no sync to disk, which would
// cost a disk flush for every tile of the column.
void WriteScratchFile(const QString& path, const QByteArray& data) {
    if (OverwriteInPlace(path, data)) return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.close();
        QFile::remove(path);
        throw Error(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
    }
}
} // namespace

IconOutcome ikona(const QString& exename, const QString& iconame, int) {
    if (FileExists(iconame)) QFile::remove(iconame);
    const QString program = CestaProgramu(exename);
    if (!FileExists(program)) return {};
    // A replaced icon source (a test's desktop) is asked for every module.
    QHash<QString, TakenIcon>* const build = IconSourceOverride() ? nullptr : CurrentBuild;
    TakenIcon taken;
    if (build && build->contains(program)) {
        taken = build->value(program);
    } else {
        taken.shell = ShellLargeIcon(program);
        if (taken.shell && !taken.shell->icon.isNull()) {
            const ShellIcon& shell = *taken.shell;
            const QImage colour =
                shell.colour.isNull() ? shell.icon.convertToFormat(QImage::Format_RGB32) : shell.colour;
            taken.bmp = Encode(colour, "bmp");
            taken.ico = Encode(shell.icon, "ico");
        }
        if (build) build->insert(program, taken);
    }
    const std::optional<ShellIcon>& shell = taken.shell;
    if (!shell || shell->icon.isNull()) return {};
    IconOutcome outcome{shell->icon, false};
    const auto& bmp = taken.bmp;
    const auto& ico = taken.ico;
    if (!bmp || !ico) return outcome;
    try {
        WriteScratchFile(BitmapFileFor(iconame), *bmp);
        WriteScratchFile(iconame, *ico);
        outcome.inFiles = true;
    } catch (const Error&) {
        // A program directory that cannot be written still gives the icon, held in memory.
    }
    return outcome;
}

int SirkaIkony(const TileList& list, const QString& programDir) {
    const QString iconame = InDir(programDir, IconFile);
    for (int j = 1; j <= qBound(0, int(list.Count), MaxTiles); ++j) {
        const IconOutcome outcome = ikona(list.Commands[j], iconame, 0);
        if (outcome.inFiles && FileExists(iconame)) {
            const QImage bitmap(BitmapFileFor(iconame), "bmp");
            return bitmap.isNull() ? outcome.image.width() : bitmap.width();
        }
        if (outcome.Taken()) return outcome.image.width();
    }
    return 0;
}

int SirkaIkony() {
    return SirkaIkony(Tiles(), ProgramDir());
}

void MarkUnlaunchable(TileList& list, int j) {
    if (TileCaption* caption = list.Captions[j]) {
        caption->setToolTip(QString());
        caption->setText(UnlaunchableCaption);
    }
    list.Commands[j].clear();
}

bool NastavIkonu(TileList& list, int j, const QString& programDir) {
    const QString iconame = InDir(programDir, IconFile);
    const IconOutcome outcome = ikona(list.Commands[j], iconame, 0);
    QImage picture;
    if (outcome.inFiles && FileExists(iconame)) {
        picture.load(iconame, "ico");
        QFile::remove(iconame);
    }
    if (picture.isNull()) picture = outcome.image;
    if (picture.isNull()) {
        MarkUnlaunchable(list, j);
        return false;
    }
    if (TileImage* image = list.Icons[j]) image->SetPicture(picture);
    return true;
}

bool NastavIkonu(int j) {
    return NastavIkonu(Tiles(), j, ProgramDir());
}

} // namespace kovalt
