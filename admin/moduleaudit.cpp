#include "moduleaudit.h"

#include "util/fileutil.h"
#include "util/ini.h"
#include "util/strutil.h"

namespace kovalt::admin {

namespace {
bool HasSection(const QStringList& lines, const QString& section) {
    // A section line as the key lookups see it: "[name]", anything after the bracket ignored.
    for (const QString& line : lines) {
        const QStringView t = QStringView(line).trimmed();
        const qsizetype close = t.indexOf(u']');
        if (t.startsWith(u'[') && close > 0 && t.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
} // namespace

QList<ModuleSection> AuditModuleList(const QStringList& lines, const QString& programDir) {
    QList<ModuleSection> sections;
    int slot = 0;
    for (int s = 1; s <= MaxTiles; ++s) {
        ModuleSection entry;
        entry.section = PadLeftWith(QString::number(s), u'0', 2);
        if (!IniHasKey(lines, entry.section, QStringLiteral("Modulnazev"))) {
            if (HasSection(lines, entry.section)) {
                entry.leftOut = LeftOut::NoName;
                sections.append(entry);
            }
            continue;
        }
        const QString command = IniReadString(lines, entry.section, QStringLiteral("Modulexe"), QString());
        entry.programPath = ExpandProgramDir(CestaProgramu(command), programDir);
        if (!FileExists(entry.programPath)) {
            entry.leftOut = LeftOut::ProgramMissing;
        } else {
            entry.slot = ++slot;
        }
        sections.append(entry);
    }
    return sections;
}

QString LeftOutText(LeftOut reason) {
    switch (reason) {
    case LeftOut::NoName:
        return QStringLiteral("no Modulnazev");
    case LeftOut::ProgramMissing:
        return QStringLiteral("program missing");
    case LeftOut::None:
        break;
    }
    return {};
}

} // namespace kovalt::admin
