// Process environment, language and clock of a Windows host. Text crosses as the product's
// single-byte text (platform/win32/text.h).
#pragma once
#include "platform/environment.h"

namespace lntc {

class Win32Environment : public Environment {
  public:
    std::optional<std::string> get(std::string_view name) const override;
    void set(std::string_view name, std::string_view value) override;
    char pathListSeparator() const override { return ';'; }
    std::string modulePath() const override;
    // The system's own abbreviation of the user's language.
    std::string userLanguage() const override;
    std::string hostName() const override;
};

class Win32Clock : public Clock {
  public:
    int64_t now() const override;
};

} // namespace lntc
