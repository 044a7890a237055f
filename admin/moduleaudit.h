#pragma once

#include "modules/modulelist.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kovalt::admin {

/// Why module mode leaves a section of the module list out.
enum class LeftOut {
    None,           ///< the module is shown
    NoName,         ///< no Modulnazev key
    ProgramMissing, ///< no file at the program path of Modulexe
};

/// One of the sections "01" to "50" that the module list holds (sections that are absent are not listed).
struct ModuleSection {
    QString section;
    LeftOut leftOut = LeftOut::None;
    QString programPath; ///< expanded program path of Modulexe
    int slot = 0;        ///< slot of a shown module, from 1
};

/// The sections of the module list in ascending number with the decision module mode takes on each,
/// by the same key lookups and rules as ReadModuleList.
QList<ModuleSection> AuditModuleList(const QStringList& lines, const QString& programDir);

/// The text of a reason for the listing.
QString LeftOutText(LeftOut reason);

} // namespace kovalt::admin
