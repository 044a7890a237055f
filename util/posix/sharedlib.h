#pragma once

#include <QString>

namespace kovalt {

/// A shared library opened at run time (dlopen), for the client libraries that are needed late
/// or on a thread of their own rather than at every start of the program. Once opened it stays
/// open for the rest of the process: the handles it hands out outlive any one caller.
class SharedLib {
public:
    /// Opens file, a name the dynamic loader looks up or a path. RTLD_LOCAL keeps the library's
    /// own dependencies out of the global symbol scope. On failure error() names the file.
    bool Open(const char* file, const QString& what);
    /// Looks up one function; on failure error() names it. Does nothing after a failure, so a
    /// chain of lookups reports the first missing one.
    template <typename F> bool Resolve(const char* name, F& target)
    {
        if (!m_handle)
            return false;
        target = reinterpret_cast<F>(Symbol(name));
        return target != nullptr;
    }
    /// Closes a library whose lookups failed.
    void Discard();
    const QString& error() const { return m_error; }

private:
    void* Symbol(const char* name);

    void* m_handle = nullptr;
    QString m_file;
    QString m_what;
    QString m_error;
};

} // namespace kovalt
