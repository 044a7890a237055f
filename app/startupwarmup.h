#pragma once

#include <thread>

namespace kovalt {

/// Work of the start that the window does not do itself but waits for later: the database client
/// library (for the connection test) and the platform's font configuration are loaded on a thread
/// of its own while Qt starts and the window is built. Whoever needs either first simply waits for
/// it (the client library) or shares the loaded one (fontconfig). The destructor waits for the
/// thread.
class StartUpWarmUp {
public:
    StartUpWarmUp();
    ~StartUpWarmUp();
    StartUpWarmUp(const StartUpWarmUp&) = delete;
    StartUpWarmUp& operator=(const StartUpWarmUp&) = delete;

private:
    std::thread m_thread;
};

/// Loads the font configuration Qt's font database starts from, where the platform has one
/// (fontconfig); does nothing elsewhere.
void WarmUpFonts();

} // namespace kovalt
