// The connection test of the active server block.
#include "app/unit3.h"

#include "servers/connection.h"
#include "util/fileutil.h"

bool TForm3::TestCon()
{
    FormStorage1.SetFileName(kovalt::InDir(kovalt::ProgramDir(), QStringLiteral("kovalt05.ini")));
    FormStorage1.SetSectionName(QStringLiteral("LogON"));
    kovalt::DbSettings settings;
    try {
        settings = kovalt::ReadDbSettings(
            [this](const QString& key, const QString& def) { return FormStorage1.ReadString(key, def); },
            [this](const QString& key, int def) { return FormStorage1.ReadInteger(key, def); });
    } catch (...) {
        FormStorage1.SetSectionName(QString());
        FormStorage1.SetFileName(QString());
        throw;
    }
    FormStorage1.SetSectionName(QString());
    FormStorage1.SetFileName(QString());
    return kovalt::TestConnection(ZConnection1, settings);
}
