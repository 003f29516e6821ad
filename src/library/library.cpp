#include "library/library.h"

#include "library/admin/history.h"

namespace lntc {

Library::Library(const Platform& platform, ProductLibs& product, Host& host)
    : platform_(platform), product_(product), host_(&host),
      root_(*platform.registry, product, strings_),
      records_(StoreServices{root_, product, strings_, *platform.clock, *platform.env},
               *platform.sections),
      history_(std::make_unique<admin::History>(*this)) {
    records_.setJournal(history_.get());
}

Library::~Library() = default;

} // namespace lntc
