#include "app/placementstore.h"

#include "util/error.h"
#include "util/fileutil.h"
#include "util/ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace kovalt {

namespace {

const QString kSection = QStringLiteral("TForm3");

QString FourNumbers(int a, int b, int c, int d) {
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

// Words separated by commas or blanks; a run of separators counts as one.
QStringList Words(const QString& text) {
    QStringList words;
    QString word;
    for (const QChar c : text) {
        if (c == u',' || c == u' ') {
            if (!word.isEmpty()) words.append(word);
            word.clear();
        } else {
            word.append(c);
        }
    }
    if (!word.isEmpty()) words.append(word);
    return words;
}

int WordAt(const QStringList& words, int index, int def) {
    if (index >= words.size()) return def;
    bool ok = false;
    const int value = words[index].toInt(&ok);
    return ok ? value : def;
}

} // namespace

PlacementRecord RecordOf(const WindowSnapshot& window) {
    PlacementRecord record;
    if (window.state & Qt::WindowMinimized)
        record.showCmd = 2;
    else if (window.state & Qt::WindowMaximized)
        record.showCmd = 3;
    const QRect& g = window.normalGeometry;
    record.left = g.x();
    record.top = g.y();
    record.right = g.x() + g.width();
    record.bottom = g.y() + g.height();
    return record;
}

QString ScreenSuffix(QSize screen) {
    return QStringLiteral("(%1x%2)").arg(screen.width()).arg(screen.height());
}

int OpacityFromStored(int stored) {
    return stored & 0xFF;
}

QString StoreFileName(const QString& programFileName) {
    const qsizetype dot = programFileName.lastIndexOf(u'.');
    const qsizetype slash = std::max(programFileName.lastIndexOf(u'/'), programFileName.lastIndexOf(u'\\'));
    const QString base = dot > slash ? programFileName.left(dot) : programFileName;
    return base + QStringLiteral(".INI");
}

QString ResolveStorePath(const QString& dir, const QString& storeFileName) {
    const qsizetype dot = storeFileName.lastIndexOf(u'.');
    const QString preferred = (dot >= 0 ? storeFileName.left(dot) : storeFileName) + QStringLiteral(".ini");
    if (FileExists(InDir(dir, preferred))) return InDir(dir, preferred);
    if (FileExists(InDir(dir, storeFileName))) return InDir(dir, storeFileName);
    const QStringList names = QDir(dir.isEmpty() ? QStringLiteral(".") : dir)
                                  .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (name.compare(storeFileName, Qt::CaseInsensitive) == 0) return InDir(dir, name);
    }
    return InDir(dir, preferred);
}

PlacementStore::PlacementStore() = default;

PlacementStore::PlacementStore(QString programDir, QString programFileName)
    : m_programDir(std::move(programDir)), m_programFileName(std::move(programFileName)) {
    if (!m_programDir.isEmpty() && !m_programDir.endsWith(u'/') && !m_programDir.endsWith(u'\\'))
        m_programDir += QDir::separator();
}

QString PlacementStore::DefaultFilePath() const {
    const QString dir = m_programDir.isEmpty() ? ProgramDir() : m_programDir;
    QString program = m_programFileName;
    if (program.isEmpty()) program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (program.isEmpty()) program = QStringLiteral("kovalt05.exe");
    return ResolveStorePath(dir, StoreFileName(program));
}

QString PlacementStore::FilePath() const {
    if (m_fileName.isEmpty()) return DefaultFilePath();
    if (QDir::isRelativePath(m_fileName))
        return InDir(m_programDir.isEmpty() ? ProgramDir() : m_programDir, m_fileName);
    return m_fileName;
}

QString PlacementStore::Section() const {
    return m_sectionName.isEmpty() ? kSection : m_sectionName;
}

void PlacementStore::SetFileName(const QString& path) {
    m_fileName = path;
}

void PlacementStore::SetSectionName(const QString& section) {
    m_sectionName = section;
}

QString PlacementStore::ReadString(const QString& key, const QString& def) const {
    return IniFileReadString(FilePath(), Section(), key, def);
}

int PlacementStore::ReadInteger(const QString& key, int def) const {
    return IniFileReadInt(FilePath(), Section(), key, def);
}

void PlacementStore::WriteString(const QString& key, const QString& value) {
    const QString path = FilePath();
    try {
        IniFileWriteKey(path, Section(), key, value);
    } catch (const Error&) {
        throw Error(
            QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
    }
}

void PlacementStore::WriteInteger(const QString& key, int value) {
    WriteString(key, QString::number(value));
}

std::optional<QPoint> PlacementStore::RestorePosition(const WindowSnapshot& window) {
    std::optional<QPoint> result;
    if (ReadInteger(QStringLiteral("FormVersion"), 0) >= 0) {
        const QString suffix = ScreenSuffix(window.screenSize);
        const auto readPair = [&](const QString& key) {
            const QString text = ReadString(key + suffix, QString());
            return text.isEmpty() ? ReadString(key, QString()) : text;
        };
        const PlacementRecord current = RecordOf(window);
        int left = current.left;
        int top = current.top;
        // The minimised and maximised positions have no use here, but their presence counts.
        bool found = !readPair(QStringLiteral("MinMaxPos")).isEmpty();
        const QString norm = readPair(QStringLiteral("NormPos"));
        if (!norm.isEmpty()) {
            const QStringList words = Words(norm);
            left = WordAt(words, 0, current.left);
            top = WordAt(words, 1, current.top);
            found = true;
        }
        if (found && ReadInteger(QStringLiteral("PixelsPerInch"), window.pixelsPerInch) == window.pixelsPerInch) {
            // The bar cannot be resized by its border, so it keeps its current size.
            if (window.normalGeometry.width() > 0) result = QPoint(left, top);
        }
    }
    m_restored = true;
    m_saved = false;
    return result;
}

bool PlacementStore::SavePosition(const WindowSnapshot& window, bool destroying) {
    if (!m_restored) return false;
    const PlacementRecord record = RecordOf(window);
    const QString suffix = ScreenSuffix(window.screenSize);
    const QString minMax =
        FourNumbers(record.minPosition.x(), record.minPosition.y(), record.maxPosition.x(), record.maxPosition.y());
    const QString norm = FourNumbers(record.left, record.top, record.right, record.bottom);
    WriteInteger(QStringLiteral("FormVersion"), 0);
    WriteInteger(QStringLiteral("Flags"), record.flags);
    WriteInteger(QStringLiteral("ShowCmd"), record.showCmd);
    WriteInteger(QStringLiteral("PixelsPerInch"), window.pixelsPerInch);
    WriteString(QStringLiteral("MinMaxPos") + suffix, minMax);
    WriteString(QStringLiteral("MinMaxPos"), minMax);
    WriteString(QStringLiteral("NormPos") + suffix, norm);
    WriteString(QStringLiteral("NormPos"), norm);
    WriteString(QStringLiteral("Visible"), destroying ? QStringLiteral("1") : QStringLiteral("0"));
    m_saved = true;
    return true;
}

Appearance PlacementStore::ReadAppearance() const {
    Appearance appearance;
    appearance.opacity = OpacityFromStored(ReadInteger(QStringLiteral("AlphaBlendValue"), kDefaultOpacity));
    appearance.textColour = ReadInteger(QStringLiteral("FontColor"), kDefaultTextColour);
    return appearance;
}

bool PlacementStore::WriteAppearance(int opacity, int textColour) {
    if (!m_appearanceApplied) return false;
    WriteInteger(QStringLiteral("AlphaBlendValue"), opacity);
    WriteInteger(QStringLiteral("FontColor"), textColour);
    return true;
}

QString PlacementStore::TakeFailure(const QString& message) {
    if (message.isEmpty() || m_failureReported) return {};
    m_failureReported = true;
    return message;
}

CloseReport PlacementStore::CloseSequence(const WindowSnapshot& window, int opacity, int textColour) {
    CloseReport report;
    QString failure;
    try {
        report.positionSaved = SavePosition(window, false);
    } catch (const Error& e) {
        failure = e.message();
    }
    try {
        report.appearanceWritten = WriteAppearance(opacity, textColour);
    } catch (const Error& e) {
        if (failure.isEmpty()) failure = e.message();
    }
    report.failure = TakeFailure(failure);
    return report;
}

CloseReport PlacementStore::SaveOnSessionEnd(const WindowSnapshot& window) {
    CloseReport report;
    try {
        report.positionSaved = SavePosition(window, false);
    } catch (const Error& e) {
        report.failure = TakeFailure(e.message());
    }
    return report;
}

CloseReport PlacementStore::SaveOnDestroy(const WindowSnapshot& window) {
    CloseReport report;
    if (m_saved) return report;
    try {
        report.positionSaved = SavePosition(window, true);
    } catch (const Error& e) {
        report.failure = TakeFailure(e.message());
    }
    return report;
}

} // namespace kovalt
