#include "app/startupwarmup.h"

#include "servers/mariadblib.h"

#include <system_error>

namespace kovalt {

StartUpWarmUp::StartUpWarmUp()
{
    try {
        // The client library first: the connection test comes before the first text is laid out.
        m_thread = std::thread([] {
            DbClient();
            WarmUpFonts();
        });
    } catch (const std::system_error&) {
        // Without a thread each is loaded where it is first needed.
    }
}

StartUpWarmUp::~StartUpWarmUp()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace kovalt
