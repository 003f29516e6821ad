// The product's registry root, as every process holds it from load to unload, and whether the
// store may be written (ReadOnlyRegistry).
#pragma once
#include "platform/registry.h"

#include <cstdint>

namespace lntc {

class ProductLibs;
class StringLookup;

class RegistryRoot {
  public:
    // The error log is the product's; its texts come from the string table.
    RegistryRoot(Registry& registry, ProductLibs& product, const StringLookup& strings);
    ~RegistryRoot();
    RegistryRoot(const RegistryRoot&) = delete;
    RegistryRoot& operator=(const RegistryRoot&) = delete;

    // Opens the product root for writing, creating it only when missing. On a store this
    // process may not write, or a damaged one, the root is opened for reading only and the
    // registry is read-only from then on. 0, or the platform code when it cannot be opened.
    uint32_t open();
    void close();
    bool isOpen() const { return key_ != kNoKey; }

    RegKey key() const { return key_; }
    bool readOnly() const { return readOnly_; }
    Registry& registry() const { return registry_; }
    // Logs a failure with a string-table message: the code, three zeros, the text.
    void logFailure(uint32_t code, uint32_t messageId) const;

  private:
    Registry& registry_;
    ProductLibs& product_;
    const StringLookup& strings_;
    RegKey key_ = kNoKey;
    bool readOnly_ = false;
};

} // namespace lntc
