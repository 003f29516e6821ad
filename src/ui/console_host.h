// The host of a process without a display: boxes become log lines, questions get the
// answer that changes nothing.
#pragma once
#include "ui/host.h"

#include <cstdio>
#include <functional>

namespace lntc {

class ProductLibs;

class ConsoleHost : public Host {
  public:
    ConsoleHost(ProductLibs& product, std::FILE* out = stderr) : product_(product), out_(out) {}
    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override;

  private:
    ProductLibs& product_;
    std::FILE* out_;
};

} // namespace lntc
