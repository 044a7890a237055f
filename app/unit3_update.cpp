// The update check. Until it talks to the update server it ends at once with outcome "N".
#include "app/unit3.h"

#include "app/picture.h"
#include "util/fileutil.h"

#include <QCoreApplication>
#include <QProgressBar>

void TForm3::KontrolaNV()
{
    // The developer marker skips the check; either way the outcome is "N" for now.
    const bool developer = kovalt::FileExists(kovalt::ProgramDir() + QStringLiteral("unit3.cpp"));
    Q_UNUSED(developer);
    JvImage1->show();
}

void TForm3::IdFTP1Work()
{
    if (JvProgressBar1->value() == 100)
        JvProgressBar1->setValue(0);
    JvProgressBar1->setValue(JvProgressBar1->value() + 1);
    QCoreApplication::processEvents();
}
