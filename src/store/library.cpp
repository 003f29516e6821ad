#include "store/library.h"

namespace lntc {

Library::Library(const Platform& platform, ProductLibs& product, Host& host)
    : platform_(platform), product_(product), host_(&host),
      root_(*platform.registry, product, strings_) {}

Library::~Library() = default;

} // namespace lntc
