#include "record_fields.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace tool {

namespace {

// Record strings are single-byte; JSON wants UTF-8, so bytes above 127 are taken as Latin-1.
std::string toUtf8(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

Json recordToJson(uint32_t record, const void* data) {
    Json j;
    LNTC_AdminValue v;
    uint32_t rc = 0;
    for (uint32_t i = 0; (rc = LNTC_AdminRecordValue(LNTC_ADMIN_VERSION, record, data, i, &v)) == 0;
         ++i) {
        Json& value = j[v.name];
        switch (v.type) {
        case LNTC_ADMIN_UNSIGNED:
            value = static_cast<uint32_t>(v.number);
            break;
        case LNTC_ADMIN_SIGNED:
            value = static_cast<int32_t>(v.number);
            break;
        case LNTC_ADMIN_REAL:
            value = v.real;
            break;
        default:
            value = toUtf8(std::string_view(v.text, v.textSize));
            break;
        }
    }
    if (rc != LNTC_ADMIN_NO_MORE_ITEMS)
        throw std::runtime_error("the library gives no record values (status " +
                                 std::to_string(rc) + ")");
    return j;
}

} // namespace

Json configToJson(const ServerConfig& config) {
    return recordToJson(LNTC_ADMIN_RECORD_CONFIG, &config);
}

Json queueToJson(const QueueRecord& queue) {
    return recordToJson(LNTC_ADMIN_RECORD_QUEUE, &queue);
}

} // namespace tool
