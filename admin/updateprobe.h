#pragma once

#include <QString>

namespace kovalt::admin {

/// What the update check would find, learnt without touching the program directory.
struct UpdateProbe {
    QString local;   ///< version of "kovalt05.exe" in the program directory
    QString remote;  ///< version announced by the server; empty when none arrived
    QString outcome; ///< "N", "E" or "A"
    QString reason;  ///< why: the error for "E", what was found for "N" and "A"
};

/// Connects with the update settings of "kovalt05.ini" in programDir and runs the steps of the
/// bar's check up to the installer download, downloading into a temporary folder that is removed
/// afterwards. Starts nothing and writes no file of programDir. Any failure gives "E".
UpdateProbe ProbeUpdate(const QString& programDir);

} // namespace kovalt::admin
