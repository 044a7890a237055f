#pragma once

#include "util/error.h"

#include <QString>

namespace kovalt::admin {

/// Exit statuses of every command.
enum Exit : int {
    ExitOk = 0,
    ExitFailed = 1, ///< the checked thing fails
    ExitUsage = 2,  ///< bad usage, or a file that cannot be read or written
};

/// Bad usage of the command line; the message says what is wrong.
class UsageError : public Error {
public:
    using Error::Error;
};

/// One line on standard output, UTF-8.
void PrintLine(const QString& line);
/// One line on standard error, UTF-8.
void PrintError(const QString& line);

} // namespace kovalt::admin
