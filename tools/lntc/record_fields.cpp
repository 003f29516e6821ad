#include "record_fields.h"

#include "store/fields.h"

#include <algorithm>
#include <string>
#include <vector>

namespace lntc::tool {

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

// Every field of a record in record order, which is the order scripts know.
Json recordToJson(std::span<const Field> fields, const void* record) {
    std::vector<const Field*> order;
    for (const Field& f : fields)
        order.push_back(&f);
    std::sort(order.begin(), order.end(),
              [](const Field* a, const Field* b) { return a->place.offset < b->place.offset; });
    Json j;
    for (const Field* f : order) {
        for (int e = 0; e < f->place.count; ++e) {
            Json& value = j[valueName(*f, e)];
            switch (f->place.cell) {
            case Cell::U16:
            case Cell::U32:
                value = static_cast<uint32_t>(numberOf(*f, record));
                break;
            case Cell::I16:
            case Cell::I32:
                value = static_cast<int32_t>(numberOf(*f, record));
                break;
            case Cell::F64:
                value = realOf(*f, record);
                break;
            case Cell::Text:
                value = toUtf8(textOf(*f, record, e));
                break;
            }
        }
    }
    return j;
}

} // namespace

Json configToJson(const ServerConfig& config) {
    return recordToJson(kConfigFields, &config);
}

Json queueToJson(const QueueRecord& queue) {
    return recordToJson(kQueueFields, &queue);
}

} // namespace lntc::tool
