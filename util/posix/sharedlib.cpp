#include "util/posix/sharedlib.h"

#include <dlfcn.h>

namespace kovalt {

bool SharedLib::Open(const char* file, const QString& what)
{
    m_file = QString::fromLocal8Bit(file);
    m_what = what;
    m_handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* reason = dlerror();
        m_error = QStringLiteral("Cannot load the %1 %2: %3")
                      .arg(what, m_file, QString::fromLocal8Bit(reason ? reason : "unknown error"));
    }
    return m_handle != nullptr;
}

void* SharedLib::Symbol(const char* name)
{
    void* symbol = dlsym(m_handle, name);
    if (!symbol && m_error.isEmpty())
        m_error = QStringLiteral("Cannot load the %1 %2: it has no %3.").arg(m_what, m_file, QString::fromLatin1(name));
    return symbol;
}

void SharedLib::Discard()
{
    if (m_handle)
        dlclose(m_handle);
    m_handle = nullptr;
}

} // namespace kovalt
