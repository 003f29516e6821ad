#include "platform/c_locale.h"

#include <clocale>
#include <cstring>
#include <locale.h>
#include <mutex>
#include <new>
#include <string>

namespace lntc {

namespace {

struct Saved {
    bool perThread;
    int mode;           // the thread's locale mode before, when it took its own
    std::string locale; // what to put back; empty when nothing was changed
};

std::recursive_mutex& processLocale() {
    static std::recursive_mutex m;
    return m;
}

} // namespace

// With a C runtime that gives threads locales of their own (UCRT), the thread takes its own for
// the scope, in "C". The system's msvcrt.dll, which this toolchain links, has one locale for the
// process: there the numbers' category is switched for the whole process, and only when it is
// not "C" already (it is unless the program chose another), one scope at a time, and put back
// when the scope ends. Other threads may then see "C" numbers while a scope lives.
CLocaleScope::CLocaleScope() : previous_(nullptr) {
    auto* saved = new (std::nothrow) Saved{false, 0, {}};
    if (saved == nullptr) return;
    try {
        saved->mode = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
        saved->perThread = saved->mode != -1;
        if (!saved->perThread) processLocale().lock();
        const char* current = std::setlocale(saved->perThread ? LC_ALL : LC_NUMERIC, nullptr);
        if (current && std::strcmp(current, "C") != 0) {
            saved->locale = current;
            std::setlocale(saved->perThread ? LC_ALL : LC_NUMERIC, "C");
        }
    } catch (...) {
        if (!saved->perThread) processLocale().unlock();
        delete saved;
        return;
    }
    previous_ = saved;
}

CLocaleScope::~CLocaleScope() {
    auto* saved = static_cast<Saved*>(previous_);
    if (saved == nullptr) return;
    if (!saved->locale.empty())
        std::setlocale(saved->perThread ? LC_ALL : LC_NUMERIC, saved->locale.c_str());
    if (saved->perThread)
        _configthreadlocale(saved->mode);
    else
        processLocale().unlock();
    delete saved;
}

} // namespace lntc
