#include "app/startupwarmup.h"

#include <fontconfig/fontconfig.h>

namespace kovalt {

// Qt's font database starts by reading fontconfig's configuration (dozens of XML files and the
// font caches), some milliseconds before the first text can be laid out. fontconfig keeps one
// process-wide configuration and may be initialised from any thread; Qt then takes the loaded one.
void WarmUpFonts() { FcInit(); }

} // namespace kovalt
