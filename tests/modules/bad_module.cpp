// Module files that exist but cannot serve: one without the entry point, one whose table is
// of another interface version.
#include "resources/module_abi.h"

#ifndef LNTC_NO_ENTRY
namespace {
const LntcStringResource kStrings[] = {{32850, "from a module of another version"}};
const LntcResourceTable kTable = {LNTC_RESOURCE_ABI_VERSION + 1, 1, kStrings, 0, nullptr};
} // namespace

extern "C" LNTC_MODULE_EXPORT const LntcResourceTable* lntc_resources(void) {
    return &kTable;
}
#else
extern "C" LNTC_MODULE_EXPORT int lntc_something_else(void) {
    return 0;
}
#endif
