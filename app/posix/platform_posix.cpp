#include "app/singleinstance.h"

#include <unistd.h>

namespace kovalt {

// The abstract socket namespace is shared by all users of the machine, so the user goes into the key.
QString CurrentUserId() { return QString::number(::getuid()); }

void AllowOtherToForeground() {}

} // namespace kovalt
