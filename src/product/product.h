// Stand-ins for the product's closed libraries (Tamsel and ZTR), behind one interface so
// that the logic can be tested against a fake.
#pragma once
#include <cstdint>
#include <string>

namespace lntc {

#pragma pack(push, 1)
// Three-part RLK name: organization, domain, object.
struct RlkName {
    char organization[20];
    char domain[20];
    char object[40];
};
static_assert(sizeof(RlkName) == 80);

// Direct address of an RLK server: all bits set, then 0, 256a+b, 256c+d, port.
struct RlkServerAddress {
    uint32_t marker;
    uint16_t zero;
    uint16_t high;
    uint16_t low;
    uint16_t port;
};
static_assert(sizeof(RlkServerAddress) == 12);

struct RlkNameList {
    uint16_t count;
    uint16_t capacity;
    RlkName* names;
};

struct RlkErrorRecord {
    uint32_t code;
    char text[124];
};
#pragma pack(pop)

// Attribute and property buffers handed to entry 15.
inline constexpr uint32_t kRlkValueBufferSize = 512;

// RLK result codes the logic relies on.
inline constexpr uint32_t kRlkFoundAttribute = 0x9C000019; // counts as success
inline constexpr uint32_t kRlkNoAnswer = 0x9C00001A;
inline constexpr uint32_t kRlkNoSuchObject = 0x9C000010;
inline constexpr uint32_t kRlkNoSuchProperty = 0x9C000011;
inline constexpr uint32_t kRlkBadArgument = 0x9C000002;
inline constexpr uint32_t kRlkNoLibrary = 0x9C000001;

inline constexpr uint32_t kRlkSystemDefaultsAttribute = 60119;
inline constexpr uint32_t kRlkPrintQueueType = 60005;
inline constexpr uint32_t kRlkPrintServerProperty = 4;

using RlkListObjectsFn = uint32_t (*)(const RlkServerAddress* server, const RlkName* pattern,
                                      uint32_t type, RlkNameList* list, uint32_t reserved,
                                      RlkErrorRecord* error);
using RlkReadPropertyFn = uint32_t (*)(const RlkServerAddress* server, const RlkName* object,
                                       uint32_t property, uint32_t a, uint32_t b, uint32_t c,
                                       uint8_t* buffer, uint32_t d, RlkErrorRecord* error);
using RlkDefaultNameFn = uint32_t (*)(RlkName* name);
using RlkTestPropertyFn = uint32_t (*)(const uint8_t* propertyData, uint32_t* flag);

// The RLK function table: entries are used by position.
struct RlkTable {
    void (*entries[40])();
    RlkListObjectsFn listObjects() const { return reinterpret_cast<RlkListObjectsFn>(entries[6]); }
    RlkReadPropertyFn readProperty() const {
        return reinterpret_cast<RlkReadPropertyFn>(entries[15]);
    }
    RlkDefaultNameFn defaultName() const { return reinterpret_cast<RlkDefaultNameFn>(entries[35]); }
    RlkTestPropertyFn testProperty() const {
        return reinterpret_cast<RlkTestPropertyFn>(entries[38]);
    }
};

class ProductLibs {
  public:
    virtual ~ProductLibs() = default;
    // ZTR: the message and code reach the product's error log.
    virtual void ztrLogError(uint32_t code, uint32_t a, uint32_t b, uint32_t c,
                             const std::string& text) = 0;
    // Tamsel.
    virtual uint32_t abstLink(const char* name, const RlkTable** table, uint32_t version) = 0;
    virtual void abstUnlink(const RlkTable** table) = 0;
    virtual void sysLog(uint32_t code, const std::string& text) = 0;
    // Hands out a cross-process area and stores its handle in *field; 0 on success.
    virtual uint32_t vGetGloArea(uint32_t* field, uint32_t size, uint32_t tag) = 0;
    // The address of an area handed out before, or nullptr.
    virtual void* globalAreaAddress(uint32_t handle) = 0;
    // Local (host) path of a product-relative path.
    virtual const char* qdcPath(int mode, const char* productPath) = 0;
};

} // namespace lntc
