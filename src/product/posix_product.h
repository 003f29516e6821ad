// The product's closed libraries, stood in for on a POSIX host: logs under
// <machine root>/log, cross-process areas in a shared section, and RLK answers from the
// ODR directory file (see odr_directory.h).
#pragma once
#include "platform/machine_files.h"
#include "platform/sections.h"
#include "product/product.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace lntc {

// The print server's name: LNT_PRINT_SERVER when set and not empty, else the host name.
std::string printServerNameFromEnv(const std::string& hostName);
std::string choosePrintServerName(const char* envValue, const std::string& hostName);

// "/qdsw/lnt/bin/LJA.dll" -> "C:\qdsw\lnt\bin\LJA.dll", in a thread-local buffer valid until
// the next call in the same thread. A path without a leading separator gets one. Every mode
// maps the same way: the product installs to C: only. Null yields nullptr.
const char* mapProductPath(int mode, const char* productPath);

// "2026-12-06 08:30:00 pid=1234 code=0xCF190003 text", with line breaks in the text blanked.
std::string formatLogLine(uint32_t code, const std::string& text);

// Global areas: a header followed by equally sized slots. A handle is slot index + 1.
inline constexpr uint32_t kGlobalAreaSize = 56;
inline constexpr uint32_t kGlobalAreaSlots = 256;
inline constexpr uint32_t kGlobalAreaMagic = 0x41474E4C; // "LNGA"
inline constexpr const char* kGlobalAreaSectionName = "lnt_global_areas";

struct GlobalAreaHeader {
    uint32_t magic;
    uint32_t capacity;
    uint32_t next; // slots handed out so far, across processes
    uint32_t reserved;
};
static_assert(sizeof(GlobalAreaHeader) == 16);

inline constexpr size_t globalAreaBytes(uint32_t slots) {
    return sizeof(GlobalAreaHeader) + size_t{slots} * kGlobalAreaSize;
}

// Allocation and lookup over a mapped header + slots; shared with the fake.
uint32_t allocateGlobalArea(void* base, uint32_t* field, uint32_t size);
void* globalAreaSlot(void* base, uint32_t handle);
void initGlobalAreas(void* base, uint32_t capacity);

class PosixProductLibs : public ProductLibs {
  public:
    PosixProductLibs(MachineFiles& files, Sections& sections, std::string printServerName);
    ~PosixProductLibs() override;
    PosixProductLibs(const PosixProductLibs&) = delete;
    PosixProductLibs& operator=(const PosixProductLibs&) = delete;

    void ztrLogError(uint32_t code, uint32_t a, uint32_t b, uint32_t c,
                     const std::string& text) override;
    uint32_t abstLink(const char* name, const RlkTable** table, uint32_t version) override;
    void abstUnlink(const RlkTable** table) override;
    void sysLog(uint32_t code, const std::string& text) override;
    uint32_t vGetGloArea(uint32_t* field, uint32_t size, uint32_t tag) override;
    void* globalAreaAddress(uint32_t handle) override;
    const char* qdcPath(int mode, const char* productPath) override;

  private:
    // Appends one line to a log of the machine root; never throws. A line the log cannot take
    // goes to standard error with the reason.
    void appendLog(const char* name, const std::string& line);
    // Opens and maps the section on first use; the base address or nullptr with the error.
    void* areas(uint32_t& error);

    MachineFiles& files_;
    Sections& sections_;
    std::string printServerName_;
    std::mutex areasMutex_;
    std::unique_ptr<Section> section_;
    void* view_ = nullptr;
};

} // namespace lntc
