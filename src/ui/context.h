// What the dialog framework needs of the library around it, and no more: the host, the
// numbered strings and templates, the error log, whether the registry is read-only, and the
// help file.
#pragma once
#include "resources/lookup.h"
#include "ui/host.h"

#include <cstdint>
#include <string>

namespace lntc {

class UiContext {
  public:
    virtual Host& host() = 0;
    virtual StringLookup& strings() = 0;
    virtual TemplateLookup& templates() = 0;
    // An entry in the product's error log: a code, one argument, a text.
    virtual void logError(uint32_t code, uint32_t arg, const std::string& text) = 0;
    // Every dialog then disables OK and makes Cancel its default button.
    virtual bool registryReadOnly() const = 0;
    virtual const std::string& helpFile() const = 0;

  protected:
    ~UiContext() = default;
};

} // namespace lntc
