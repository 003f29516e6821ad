#include "ui/console_host.h"

#include "product/product.h"

namespace lntc {

int ConsoleHost::messageBox(WindowRef, const std::string& text, const std::string& caption,
                            uint32_t style) {
    std::string line = caption.empty() ? text : caption + ": " + text;
    product_.ztrLogError(0, 0, 0, 0, line);
    if (out_ != nullptr) {
        std::fprintf(out_, "%s\n", line.c_str());
        std::fflush(out_);
    }
    return safeAnswer(style);
}

} // namespace lntc
