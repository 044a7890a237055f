#pragma once

// The bar as the update check's host in tests: server mode on an update site's program directory.

#include "tests/update/updatetesthelpers.h"

#include "app/unit3.h"
#include "util/fileutil.h"

#include <QTimer>

#include <memory>

/// A server-mode bar of the site's program directory whose check starts at once.
inline std::unique_ptr<TForm3> MakeUpdateBar(const updatetest::UpdateSite& site)
{
    kovalt::SetProgramDirOverride(site.programDir());
    auto bar = std::make_unique<TForm3>();
    bar->FormStorage1 = kovalt::PlacementStore(site.programDir(), "kovalt05.exe");
    bar->SetArguments({"kovalt05.exe", "/V"});
    bar->SetControlKeyProbe([] { return false; });
    bar->Timer1->setInterval(1);
    return bar;
}
