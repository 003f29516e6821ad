// Process environment, clock and locale.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lntc {

class Environment {
  public:
    virtual ~Environment() = default;
    virtual std::optional<std::string> get(std::string_view name) const = 0;
    virtual void set(std::string_view name, std::string_view value) = 0;
    // Separator of entries in PATH (":" here, ";" on the original platform).
    virtual char pathListSeparator() const = 0;
    // The library's own file as a host path (where it was loaded from).
    virtual std::string modulePath() const = 0;
    // Three-letter abbreviation of the user's language ("ENU", "DEU"), empty when unknown.
    virtual std::string userLanguage() const = 0;
    // This machine's host name.
    virtual std::string hostName() const = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since 1970-01-01 UTC.
    virtual int64_t now() const = 0;
};

} // namespace lntc
