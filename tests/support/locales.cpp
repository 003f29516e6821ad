#include "support/locales.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace lntc::test {

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

std::string GermanProcessLocale::printed(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", value);
    return buf;
}

} // namespace lntc::test
