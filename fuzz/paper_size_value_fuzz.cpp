// A stored "PaperSize%d" value of any content gives a terminated name inside its field.
#include "media/paper_sizes.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view value(reinterpret_cast<const char*>(data), size);
    MediaPaperSize entry;
    std::memset(&entry, 0x7F, sizeof entry);
    lntc::ParsePaperSizeValue(value, entry);
    const size_t length = std::strlen(entry.szName); // stops inside the field or aborts below
    if (length >= sizeof entry.szName) std::abort();
    if (value.find(std::string_view(entry.szName, length)) == std::string_view::npos) std::abort();
    if (lntc::PaperSizeNameToId(value) >= lntc::kPaperSizeCount) std::abort();
    lntc::decimalValue(value);
    return 0;
}
