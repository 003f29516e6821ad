#include "product/posix_product.h"

#include "platform/errors.h"
#include "platform/printable.h"
#include "product/odr_directory.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace lntc {

std::string choosePrintServerName(const char* envValue, const std::string& hostName) {
    if (envValue && *envValue) return envValue;
    return hostName;
}

std::string printServerNameFromEnv(const std::string& hostName) {
#ifdef _WIN32
    // No set-user-id programs on Windows: the environment is the caller's own.
    return choosePrintServerName(std::getenv("LNT_PRINT_SERVER"), hostName);
#else
    return choosePrintServerName(secure_getenv("LNT_PRINT_SERVER"), hostName);
#endif
}

const char* mapProductPath(int, const char* productPath) {
    if (!productPath) return nullptr;
    thread_local std::string buffer;
    buffer.assign("C:");
    if (*productPath != '/' && *productPath != '\\') buffer.push_back('\\');
    for (const char* p = productPath; *p; ++p)
        buffer.push_back(*p == '/' ? '\\' : *p);
    return buffer.c_str();
}

std::string formatLogLine(uint32_t code, const std::string& text) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char head[96];
    size_t n = std::strftime(head, sizeof head, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(head + n, sizeof head - n, " pid=%ld code=0x%08X ", static_cast<long>(getpid()),
                  code);
    // One entry, one line: a name from outside cannot start a line of its own or reach the
    // terminal of whoever reads the log.
    std::string line(head);
    line += printable(text, LineBreaks::AsSpace);
    line.push_back('\n');
    return line;
}

void initGlobalAreas(void* base, uint32_t capacity) {
    auto* header = static_cast<GlobalAreaHeader*>(base);
    header->capacity = capacity;
    header->reserved = 0;
    std::atomic_ref<uint32_t>(header->next).store(0);
    // Published last: a reader that sees the magic sees the rest.
    std::atomic_ref<uint32_t>(header->magic).store(kGlobalAreaMagic, std::memory_order_release);
}

uint32_t allocateGlobalArea(void* base, uint32_t* field, uint32_t size) {
    if (!field) return err::InvalidParameter;
    *field = 0;
    if (size > kGlobalAreaSize) return err::InvalidParameter;
    auto* header = static_cast<GlobalAreaHeader*>(base);
    std::atomic_ref<uint32_t> next(header->next);
    uint32_t index = next.load();
    // A compare-exchange rather than fetch_add so a full table's counter stays at capacity.
    do {
        if (index >= header->capacity) return err::NotEnoughMemory;
    } while (!next.compare_exchange_weak(index, index + 1));
    void* slot =
        static_cast<char*>(base) + sizeof(GlobalAreaHeader) + size_t{index} * kGlobalAreaSize;
    std::memset(slot, 0, kGlobalAreaSize);
    *field = index + 1;
    return 0;
}

void* globalAreaSlot(void* base, uint32_t handle) {
    if (!base || handle == 0) return nullptr;
    auto* header = static_cast<GlobalAreaHeader*>(base);
    if (handle > header->capacity || handle > std::atomic_ref<uint32_t>(header->next).load())
        return nullptr;
    return static_cast<char*>(base) + sizeof(GlobalAreaHeader) +
           size_t{handle - 1} * kGlobalAreaSize;
}

PosixProductLibs::PosixProductLibs(MachineFiles& files, Sections& sections,
                                   std::string printServerName)
    : files_(files), sections_(sections), printServerName_(std::move(printServerName)) {}

PosixProductLibs::~PosixProductLibs() {
    if (section_ && view_) section_->unmapView(view_);
}

void PosixProductLibs::appendLog(const char* name, const std::string& line) {
    try {
        if (uint32_t error = files_.append(name, line)) {
            // Nothing is lost: the line goes to standard error with the reason.
            std::string text = "liblntc: cannot write " + files_.hostPath(name) + " (" +
                               systemErrorText(error) + "): " + line;
            ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
            (void)written;
        }
    } catch (...) {
    }
}

void PosixProductLibs::ztrLogError(uint32_t code, uint32_t a, uint32_t b, uint32_t c,
                                   const std::string& text) {
    try {
        std::string body = text;
        if (a || b || c) {
            char args[48];
            std::snprintf(args, sizeof args, "args=0x%X,0x%X,0x%X ", a, b, c);
            body.insert(0, args);
        }
        appendLog("log/error.log", formatLogLine(code, body));
    } catch (...) {
    }
}

void PosixProductLibs::sysLog(uint32_t code, const std::string& text) {
    try {
        appendLog("log/system.log", formatLogLine(code, text));
    } catch (...) {
    }
}

uint32_t PosixProductLibs::abstLink(const char* name, const RlkTable** table, uint32_t version) {
    if (!table) return kRlkBadArgument;
    *table = nullptr;
    if (!rlk::linkable(name, version)) return kRlkNoLibrary;
    try {
        auto directory = std::make_shared<OdrDirectory>();
        std::string error;
        if (loadOdrDirectory(files_, *directory, error) == OdrLoad::Malformed) {
            ztrLogError(kRlkBadArgument, 0, 0, 0,
                        "LNTC: ODR directory " + files_.hostPath(kOdrDirectoryFile) +
                            " is malformed: " + error);
            return kRlkBadArgument;
        }
        rlk::link(std::move(directory), printServerName_, table);
        return 0;
    } catch (const std::bad_alloc&) {
        return kRlkNoLibrary;
    }
}

void PosixProductLibs::abstUnlink(const RlkTable** table) {
    rlk::unlink(table);
}

void* PosixProductLibs::areas(uint32_t& error) {
    std::lock_guard lock(areasMutex_);
    if (view_) return view_;
    std::unique_ptr<Section> section;
    bool created = false;
    const size_t bytes = globalAreaBytes(kGlobalAreaSlots);
    error = sections_.open(kGlobalAreaSectionName, bytes, section, created);
    if (error || !section) return nullptr;
    void* view = section->mapView(true, error);
    if (!view || error) {
        if (!error) error = err::NotEnoughMemory;
        // The creator must still release the fill lock so others do not wait on it.
        if (created) section->markFilled();
        return nullptr;
    }
    bool fill = created;
    if (!created) {
        switch (section->waitFilled(std::chrono::seconds(5))) {
        case Section::FillState::Filled:
            break;
        case Section::FillState::MustFill:
            fill = true;
            break;
        case Section::FillState::StillFilling:
            section->unmapView(view);
            error = err::Timeout;
            return nullptr;
        }
    }
    if (fill) {
        initGlobalAreas(view, kGlobalAreaSlots);
        section->markFilled();
    }
    auto* header = static_cast<GlobalAreaHeader*>(view);
    if (section->size() < bytes ||
        std::atomic_ref<uint32_t>(header->magic).load(std::memory_order_acquire) !=
            kGlobalAreaMagic ||
        header->capacity != kGlobalAreaSlots) {
        section->unmapView(view);
        error = err::InvalidData;
        return nullptr;
    }
    section_ = std::move(section);
    view_ = view;
    return view_;
}

uint32_t PosixProductLibs::vGetGloArea(uint32_t* field, uint32_t size, uint32_t) {
    if (!field) return err::InvalidParameter;
    *field = 0;
    if (size > kGlobalAreaSize) return err::InvalidParameter;
    uint32_t error = 0;
    void* base = areas(error);
    if (!base) return error ? error : err::NotEnoughMemory;
    return allocateGlobalArea(base, field, size);
}

void* PosixProductLibs::globalAreaAddress(uint32_t handle) {
    if (handle == 0 || handle > kGlobalAreaSlots) return nullptr;
    uint32_t error = 0;
    return globalAreaSlot(areas(error), handle);
}

const char* PosixProductLibs::qdcPath(int mode, const char* productPath) {
    return mapProductPath(mode, productPath);
}

} // namespace lntc
