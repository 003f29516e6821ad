#include "ui/window_classes.h"

#include "platform/errors.h"

#include <cctype>

namespace lntc {

namespace {

std::string lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

const char kEditProcedureTag = 0;

} // namespace

WindowClasses::Procedure WindowClasses::editProcedure() {
    return &kEditProcedureTag;
}

WindowClasses::WindowClasses() {
    classes_[kEditClass] = editProcedure();
}

uint32_t WindowClasses::registerClass(const std::string& name, Procedure procedure) {
    if (name.empty() || procedure == nullptr) return err::InvalidParameter;
    auto [it, inserted] = classes_.emplace(lower(name), procedure);
    return inserted ? err::Success : err::ClassAlreadyExists;
}

uint32_t WindowClasses::unregisterClass(const std::string& name) {
    return classes_.erase(lower(name)) ? err::Success : err::ClassDoesNotExist;
}

std::optional<WindowClasses::Procedure> WindowClasses::find(const std::string& name) const {
    auto it = classes_.find(lower(name));
    if (it == classes_.end()) return std::nullopt;
    return it->second;
}

} // namespace lntc
