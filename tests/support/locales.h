// The German locale the build compiles for the tests: a decimal comma, to show where a number
// is formatted or read in the program's locale instead of the C locale.
#pragma once
#include <optional>
#include <string>

namespace lntc::test {

inline constexpr const char* kGermanLocale = "de_DE.UTF-8";

// The folder to name in LOCPATH; empty when this machine could not make the locale.
std::string GermanLocaleDir();

// This test process runs in the German locale for the scope, as a program that chose it
// with setlocale does. Without the locale nothing changes and active() is false.
class GermanProcessLocale {
  public:
    GermanProcessLocale();
    ~GermanProcessLocale();
    GermanProcessLocale(const GermanProcessLocale&) = delete;
    GermanProcessLocale& operator=(const GermanProcessLocale&) = delete;
    bool active() const { return active_; }
    // printf's "%.1f" in the process's locale as it is now ("5,5" while German).
    static std::string printed(double value);

  private:
    std::string savedLocale_;
    std::optional<std::string> savedLocpath_;
    bool active_ = false;
};

} // namespace lntc::test
