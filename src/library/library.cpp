#include "library/library.h"

namespace lntc {

Library::Library(const Platform& platform, ProductLibs& product, Host& host)
    : platform_(platform), product_(product), host_(&host),
      root_(*platform.registry, product, strings_),
      records_(StoreServices{root_, product, strings_, *platform.clock, *platform.env},
               *platform.sections) {}

Library::~Library() = default;

} // namespace lntc
