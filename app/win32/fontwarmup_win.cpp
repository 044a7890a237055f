#include "app/startupwarmup.h"

namespace kovalt {

// Windows keeps its fonts in the system; Qt has nothing to load ahead.
void WarmUpFonts() {}

} // namespace kovalt
