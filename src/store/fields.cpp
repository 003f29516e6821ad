#include "store/fields.h"

#include "store/registry_access.h"

#include <charconv>
#include <cstring>

namespace lntc {

namespace {

size_t at(const Field& f, int element = 0) {
    return f.place.offset + static_cast<size_t>(element) * f.place.size;
}

template <typename T> T get(const Field& f, const void* record) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + at(f), sizeof value);
    return value;
}

template <typename T> void put(const Field& f, void* record, T value) {
    std::memcpy(static_cast<unsigned char*>(record) + at(f), &value, sizeof value);
}

} // namespace

const char* subkeyName(Subkey subkey) {
    switch (subkey) {
    case Subkey::General:
        return kGeneralKey;
    case Subkey::Fonts:
        return kFontsKey;
    case Subkey::Queue:
        break;
    }
    return nullptr;
}

std::string QueueKey(const QueueRecord& queue) {
    return std::string(kQueuesKey) + "\\" + std::string(fieldText(queue.Name));
}

std::string valueName(const Field& f, int element) {
    if (f.place.count == 1) return f.name;
    return f.name + std::to_string(element + 1);
}

const Field* findField(std::span<const Field> fields, std::string_view name) {
    for (const Field& f : fields) {
        if (name == f.name) return &f;
    }
    return nullptr;
}

int64_t numberOf(const Field& f, const void* record) {
    switch (f.place.cell) {
    case Cell::U16:
        return get<uint16_t>(f, record);
    case Cell::I16:
        return get<int16_t>(f, record);
    case Cell::U32:
        return get<uint32_t>(f, record);
    case Cell::I32:
        return get<int32_t>(f, record);
    case Cell::F64:
    case Cell::Text:
        break;
    }
    return 0;
}

void setNumber(const Field& f, void* record, int64_t value) {
    switch (f.place.cell) {
    case Cell::U16:
    case Cell::I16:
        put(f, record, static_cast<uint16_t>(value));
        break;
    case Cell::U32:
    case Cell::I32:
        put(f, record, static_cast<uint32_t>(value));
        break;
    case Cell::F64:
    case Cell::Text:
        break;
    }
}

double realOf(const Field& f, const void* record) {
    return f.place.cell == Cell::F64 ? get<double>(f, record) : 0.0;
}

void setReal(const Field& f, void* record, double value) {
    if (f.place.cell == Cell::F64) put(f, record, value);
}

std::string_view textOf(const Field& f, const void* record, int element) {
    if (f.place.cell != Cell::Text || element < 0 || element >= f.place.count) return {};
    return fieldText(static_cast<const char*>(record) + at(f, element), f.place.size);
}

char* textCell(const Field& f, void* record, int element) {
    if (f.place.cell != Cell::Text || element < 0 || element >= f.place.count) return nullptr;
    return static_cast<char*>(record) + at(f, element);
}

void setDefault(const Field& f, void* record) {
    switch (f.stored) {
    case Stored::None:
        break;
    case Stored::Number:
    case Stored::Word:
    case Stored::Keyword:
    case Stored::Charset:
        setNumber(f, record, f.number);
        break;
    case Stored::Text:
        for (int e = 0; e < f.place.count; ++e)
            copyField(textCell(f, record, e), f.place.size, f.text);
        break;
    case Stored::Decimal: {
        double value = 0; // as the C locale reads it, whatever the process's
        std::from_chars(f.text, f.text + std::strlen(f.text), value);
        setReal(f, record, value);
        break;
    }
    }
}

const Field* FieldOutOfRange(std::span<const Field> fields, const void* record,
                             uint32_t classFlags) {
    for (const Field& f : fields) {
        if (f.range == nullptr || !savedFor(f, classFlags)) continue;
        const double value = f.place.cell == Cell::F64 ? realOf(f, record)
                                                       : static_cast<double>(numberOf(f, record));
        if (!f.range->holds(value)) return &f;
    }
    return nullptr;
}

const ValueTableRow* FindValueRow(uint16_t id) {
    for (const auto& row : ValueTable) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

} // namespace lntc
