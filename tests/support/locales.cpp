#include "support/locales.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace lntc::test {

#ifdef _WIN32
// The system's C library knows the language by its name; no folder is needed.
GermanProcessLocale::GermanProcessLocale() {
    savedLocale_ = std::setlocale(LC_ALL, nullptr);
    active_ = std::setlocale(LC_ALL, "German_Germany.1252") != nullptr;
}

GermanProcessLocale::~GermanProcessLocale() {
    std::setlocale(LC_ALL, savedLocale_.c_str());
}
#else
std::string GermanLocaleDir() {
    std::string dir = LNTC_TEST_LOCALE_DIR;
    std::error_code ec;
    return std::filesystem::exists(dir + "/" + kGermanLocale + "/LC_NUMERIC", ec) ? dir : "";
}

GermanProcessLocale::GermanProcessLocale() {
    std::string dir = GermanLocaleDir();
    if (dir.empty()) return;
    if (const char* l = std::getenv("LOCPATH")) savedLocpath_ = l;
    savedLocale_ = std::setlocale(LC_ALL, nullptr);
    setenv("LOCPATH", dir.c_str(), 1);
    active_ = std::setlocale(LC_ALL, kGermanLocale) != nullptr;
}

GermanProcessLocale::~GermanProcessLocale() {
    if (savedLocale_.empty()) return; // nothing was changed
    std::setlocale(LC_ALL, savedLocale_.c_str());
    savedLocpath_ ? setenv("LOCPATH", savedLocpath_->c_str(), 1) : unsetenv("LOCPATH");
}
#endif

std::string GermanProcessLocale::printed(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", value);
    return buf;
}

} // namespace lntc::test
