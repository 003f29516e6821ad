// Process environment, locale and clock of a POSIX host.
#pragma once
#include "platform/environment.h"

#include <string>
#include <string_view>

namespace lntc {

class PosixEnvironment : public Environment {
  public:
    std::optional<std::string> get(std::string_view name) const override;
    void set(std::string_view name, std::string_view value) override;
    char pathListSeparator() const override { return ':'; }
    std::string modulePath() const override;
    // From LC_ALL, LC_MESSAGES, then LANG (the first one set and not empty).
    std::string userLanguage() const override;
    std::string hostName() const override;
};

// Three-letter abbreviation of a locale name ("de_AT.UTF-8" -> "DEA"). Empty for "C",
// "POSIX" and languages missing from the table.
std::string languageAbbreviation(std::string_view locale);

class PosixClock : public Clock {
  public:
    int64_t now() const override;
};

} // namespace lntc
