// Where numbered strings and dialog templates are looked up: a localised module can be put in
// front of the built-in tables.
#pragma once
#include "resources/templates.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lntc {

class StringLookup {
  public:
    using Source = std::function<std::optional<std::string>(uint32_t)>;
    void pushFront(Source source) { sources_.insert(sources_.begin(), std::move(source)); }
    // The text, or nullopt when no source has it.
    std::optional<std::string> find(uint32_t id) const;
    // The text, or "" when missing.
    std::string load(uint32_t id) const { return find(id).value_or(std::string()); }
    void clear() { sources_.clear(); }

  private:
    std::vector<Source> sources_;
};

// Looks a dialog template up, in the same order as the strings.
class TemplateLookup {
  public:
    using Source = std::function<const DialogTemplate*(uint16_t)>;
    void pushFront(Source source) { sources_.insert(sources_.begin(), std::move(source)); }
    // The template, or nullptr when no source has it.
    const DialogTemplate* find(uint16_t id) const;
    void clear() { sources_.clear(); }

  private:
    std::vector<Source> sources_;
};

} // namespace lntc
