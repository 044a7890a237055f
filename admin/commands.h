#pragma once

#include <QString>

namespace kovalt::admin {

// Each command works on the program directory dir (with its trailing separator), prints its items
// on standard output and returns the exit status; a file that cannot be read or written throws Error.

/// The tiles of server mode: number, name, address line, "active" or "inactive".
int Servers(const QString& dir);
/// The activation of server mode for the entry named exactly name; with test, the connection test
/// decides the exit status. An unknown name is a UsageError and leaves the file unchanged.
int Activate(const QString& dir, const QString& name, bool test);
/// The server label of the connection notice.
int Label(const QString& dir);
/// "OK", or the client library's error number and text (exit 1).
int TestConnection(const QString& dir);
/// The shown modules (slot, name, command, description) and the sections left out, with why.
int Modules(const QString& dir);
/// Local version, remote version and outcome of the update check (exit 1 for "E").
int CheckUpdate(const QString& dir);

} // namespace kovalt::admin
