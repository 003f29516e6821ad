#include "store/registry_root.h"

#include "platform/errors.h"
#include "product/product.h"
#include "resources/ids.h"
#include "resources/lookup.h"
#include "store/registry_access.h"

namespace lntc {

namespace {

// Opening an existing key for writing takes no lock of the store, so a process that starts
// while another one writes (an import, a configuration run) is not held up by it. Only a
// missing root is created, which does need the write lock.
uint32_t openOrCreate(Registry& reg, RegKey& root) {
    uint32_t rc = reg.openKey(kLocalMachine, kProductRootPath, RegAccess::Write, root);
    if (rc != err::FileNotFound && rc != err::PathNotFound) return rc;
    rc = reg.createKey(kLocalMachine, kProductRootPath, RegAccess::Write, root);
    // The writer that kept the store busy may well have made the root meanwhile.
    if (rc == err::Busy &&
        reg.openKey(kLocalMachine, kProductRootPath, RegAccess::Write, root) == 0)
        rc = 0;
    return rc;
}

} // namespace

RegistryRoot::RegistryRoot(Registry& registry, ProductLibs& product, const StringLookup& strings)
    : registry_(registry), product_(product), strings_(strings) {}

RegistryRoot::~RegistryRoot() {
    close();
}

uint32_t RegistryRoot::open() {
    close();
    RegKey root = kNoKey;
    bool readOnly = false;
    uint32_t rc = openOrCreate(registry_, root);
    // A damaged store is read as far as it can be, like one that may not be written.
    if (rc == err::AccessDenied || rc == err::RegistryCorrupt) {
        logFailure(rc, str::LogCreateKey);
        rc = registry_.openKey(kLocalMachine, kProductRootPath, RegAccess::Read, root);
        readOnly = rc == 0;
    } else if (rc != 0) {
        logFailure(rc, str::LogCreateKey);
    }
    if (rc != 0) return rc;
    key_ = root;
    readOnly_ = readOnly;
    return 0;
}

void RegistryRoot::close() {
    if (key_ != kNoKey) registry_.closeKey(key_);
    key_ = kNoKey;
}

void RegistryRoot::logFailure(uint32_t code, uint32_t messageId) const {
    product_.ztrLogError(code, 0, 0, 0, strings_.load(messageId));
}

} // namespace lntc
