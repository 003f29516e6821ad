// Finds dialog templates: sources put in front (a localised module, tests) come first.
#pragma once
#include "resources/templates.h"

#include <functional>
#include <vector>

namespace lntc {

class TemplateLookup {
  public:
    using Source = std::function<const DialogTemplate*(uint16_t)>;
    void pushFront(Source source) { sources_.insert(sources_.begin(), std::move(source)); }
    // The template, or nullptr when no source has it.
    const DialogTemplate* find(uint16_t id) const;

  private:
    std::vector<Source> sources_;
};

} // namespace lntc
