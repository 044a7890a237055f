// The module list reader over an arbitrary moduly.ini in a program directory that holds a few
// programs; what it reads, written back, reads back as the same slots.
#include "fuzzcommon.h"

#include "modules/modulelist.h"
#include "modules/tilelist.h"
#include "util/fileutil.h"
#include "util/textfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

using namespace kovalt;

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(bytes) == bytes.size());
}

const QString& ProgramDirectory() {
    static const QString dir = [] {
        const QString d = fuzz::MakeScratchDir("modules");
        for (const char* program : {"a.exe", "b.exe", "modul c.exe", "sklad.exe", "ucto.exe", "jedna.exe"})
            WriteRaw(d + QLatin1String(program), "MZ");
        QDir().mkpath(d + QStringLiteral("adresar.exe"));
        return d;
    }();
    return dir;
}

// A value that the writer puts down and the reader takes back unchanged.
bool Survives(const QString& value) {
    if (value.size() > 2047 || value != value.trimmed() || !fuzz::AnsiCanHold(value)) return false;
    return !(value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front());
}

void CheckSameAsSlots(const QList<ModuleEntry>& modules, const TileList& list) {
    FUZZ_CHECK(list.Count == modules.size());
    for (int n = 1; n <= list.Count; ++n) {
        FUZZ_CHECK(list.Names[n] == modules[n - 1].Name);
        FUZZ_CHECK(list.Commands[n] == modules[n - 1].Command);
        FUZZ_CHECK(list.Descriptions[n] == modules[n - 1].Description);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString dir = ProgramDirectory();
    const QString list = dir + QStringLiteral("moduly.ini");
    const QByteArray original(reinterpret_cast<const char*>(data), qsizetype(size));
    QFile::remove(dir + QStringLiteral("moduly.ori"));
    QFile::remove(dir + QStringLiteral("moduly.old"));
    WriteRaw(list, original);

    const QList<ModuleEntry> modules = ReadModuleList(dir);
    FUZZ_CHECK(modules.size() <= MaxTiles);
    for (const ModuleEntry& m : modules) {
        FUZZ_CHECK(FileExists(CestaProgramu(m.Command)));
        FUZZ_CHECK(!m.Command.contains(QLatin1String("{path}"), Qt::CaseInsensitive));
        FUZZ_CHECK(m.Name.size() <= 2047 && m.Command.size() <= 2047 + 2047 * dir.size() && m.Description.size() <= 2047);
    }
    TileList filled;
    NactiModuly(filled, dir);
    CheckSameAsSlots(modules, filled);

    // Keep the modules whose texts the file format carries unchanged, and write them back.
    QList<ModuleEntry> kept;
    for (const ModuleEntry& m : modules) {
        if (Survives(m.Name) && Survives(m.Command) && Survives(m.Description)) kept.append(m);
    }
    TileList toWrite;
    for (int n = 1; n <= kept.size(); ++n) {
        toWrite.Names[n] = kept[n - 1].Name;
        toWrite.Commands[n] = kept[n - 1].Command;
        toWrite.Descriptions[n] = kept[n - 1].Description;
    }
    toWrite.Count = qint32(kept.size());
    const QDateTime when(QDate(2026, 3, 14), QTime(15, 9, 26));
    UlozModuly(toWrite, dir, when);

    const QByteArray written = ReadAll(list);
    FUZZ_CHECK(written == EncodeText(ModuleListLines(kept, when), TextEncoding::Ansi));
    FUZZ_CHECK(ReadAll(dir + QStringLiteral("moduly.ori")) == original);
    FUZZ_CHECK(ReadAll(dir + QStringLiteral("moduly.old")) == original);
    FUZZ_CHECK(ReadModuleList(dir) == kept);
    TileList back;
    NactiModuly(back, dir);
    CheckSameAsSlots(kept, back);

    // A second write keeps the first backup and moves the previous list into the other one.
    UlozModuly(back, dir, when.addSecs(1));
    FUZZ_CHECK(ReadAll(dir + QStringLiteral("moduly.ori")) == original);
    FUZZ_CHECK(ReadAll(dir + QStringLiteral("moduly.old")) == written);
    FUZZ_CHECK(ReadModuleList(dir) == kept);
    return 0;
}
