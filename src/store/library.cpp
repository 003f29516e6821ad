#include "store/library.h"

namespace lntc {

Library::Library(const Platform& platform, ProductLibs& product, Host& host)
    : platform_(platform), product_(product), host_(&host) {}

Library::~Library() = default;

} // namespace lntc
