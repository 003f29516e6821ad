#include "platform/win32/win32_spooler.h"

#include "platform/errors.h"
#include "platform/win32/text.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <windows.h>
#include <winspool.h>

namespace lntc {

namespace {

// Threads whose caller gave up on them: a spooler that hangs is not asked ever again meanwhile.
constexpr int kMaxStranded = 4;
std::atomic<int> stranded{0};

struct Call {
    std::function<uint32_t()> work;
    uint32_t result = err::Timeout;
    HANDLE done = nullptr;
    HMODULE module = nullptr; // held by the thread, so that its code stays while it runs
    std::atomic<int> state{Running};
    enum { Running, Finished, Abandoned };
    ~Call() {
        if (done) CloseHandle(done);
    }
};

void anchor() {}

DWORD WINAPI runCall(void* arg) {
    auto* owned = static_cast<std::shared_ptr<Call>*>(arg);
    Call& call = **owned;
    try {
        call.result = call.work();
    } catch (const std::bad_alloc&) {
        call.result = err::NotEnoughMemory;
    }
    int running = Call::Running;
    if (!call.state.compare_exchange_strong(running, Call::Finished)) --stranded;
    SetEvent(call.done);
    const HMODULE module = call.module;
    delete owned;
    if (module != nullptr) FreeLibraryAndExitThread(module, 0);
    return 0;
}

// A list of the given level in the spooler's two steps: the size, then the entries. Only ever
// run through callWithin, on a buffer of the call's own.
template <typename Enum>
uint32_t fetch(Enum enumerate, std::vector<BYTE>& buffer, DWORD& count, DWORD& needed) {
    count = 0;
    needed = 0;
    if (enumerate(nullptr, 0, &needed, &count)) return err::Success; // nothing at all
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return GetLastError();
    // The list may grow between the two steps.
    for (int attempt = 0; attempt < 4; ++attempt) {
        buffer.assign(needed, 0);
        if (enumerate(buffer.data(), needed, &needed, &count)) return err::Success;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return GetLastError();
    }
    return err::InsufficientBuffer;
}

uint32_t fetchPrinters(std::vector<BYTE>& buffer, DWORD& count, DWORD& needed) {
    return fetch(
        [](BYTE* data, DWORD size, DWORD* want, DWORD* got) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 1, data, size, want, got) != 0;
        },
        buffer, count, needed);
}

uint32_t fetchPorts(std::vector<BYTE>& buffer, DWORD& count, DWORD& needed) {
    return fetch([](BYTE* data, DWORD size, DWORD* want,
                    DWORD* got) { return EnumPortsW(nullptr, 1, data, size, want, got) != 0; },
                 buffer, count, needed);
}

struct Listing {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    DWORD needed = 0;
};

uint32_t fetchWithin(uint32_t (*how)(std::vector<BYTE>&, DWORD&, DWORD&), Listing& out,
                     std::chrono::milliseconds patience) {
    auto listing = std::make_shared<Listing>();
    uint32_t e = win32::callWithin(
        [listing, how] { return how(listing->buffer, listing->count, listing->needed); }, patience);
    if (e == err::Success) out = std::move(*listing);
    return e;
}

std::string text(const wchar_t* s) {
    return s != nullptr ? win32::textFromWide(s) : std::string();
}

} // namespace

uint32_t win32::callWithin(std::function<uint32_t()> work, std::chrono::milliseconds patience) {
    if (stranded.load() >= kMaxStranded) return err::Timeout;
    auto call = std::make_shared<Call>();
    call->work = std::move(work);
    call->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (call->done == nullptr) return GetLastError();
    // The thread's own reference to this module: released as it ends.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&anchor), &call->module))
        return GetLastError();
    if (call->module == GetModuleHandleW(nullptr))
        call->module = nullptr; // linked into the program
    auto* owned = new std::shared_ptr<Call>(call);
    HANDLE thread = CreateThread(nullptr, 0, runCall, owned, 0, nullptr);
    if (thread == nullptr) {
        const DWORD e = GetLastError();
        if (call->module != nullptr) FreeLibrary(call->module);
        delete owned;
        return e;
    }
    CloseHandle(thread);
    const DWORD ms = patience.count() <= 0          ? 0
                     : patience.count() >= INFINITE ? INFINITE - 1
                                                    : static_cast<DWORD>(patience.count());
    if (WaitForSingleObject(call->done, ms) == WAIT_OBJECT_0) return call->result;
    int running = Call::Running;
    if (!call->state.compare_exchange_strong(running, Call::Abandoned))
        return call->result; // it answered just now
    ++stranded;
    return err::Timeout;
}

uint32_t Win32Spooler::printersSize(size_t& bytes) {
    bytes = 0;
    Listing listing;
    if (uint32_t e = fetchWithin(fetchPrinters, listing, patience_)) return e;
    bytes = listing.needed;
    return err::Success;
}

uint32_t Win32Spooler::printers(std::vector<SpoolerPrinter>& out) {
    out.clear();
    Listing listing;
    if (uint32_t e = fetchWithin(fetchPrinters, listing, patience_)) return e;
    const auto* info = reinterpret_cast<const PRINTER_INFO_1W*>(listing.buffer.data());
    for (DWORD i = 0; i < listing.count; ++i)
        if (info[i].pName != nullptr) out.push_back({text(info[i].pName), text(info[i].pComment)});
    // In name order ignoring case, as the CUPS backend gives them.
    std::sort(out.begin(), out.end(), [](const SpoolerPrinter& a, const SpoolerPrinter& b) {
        return CompareStringOrdinal(win32::wideFromText(a.name).c_str(), -1,
                                    win32::wideFromText(b.name).c_str(), -1,
                                    TRUE) == CSTR_LESS_THAN;
    });
    return err::Success;
}

uint32_t Win32Spooler::portsSize(size_t& bytes) {
    bytes = 0;
    Listing listing;
    if (uint32_t e = fetchWithin(fetchPorts, listing, patience_)) return e;
    bytes = listing.needed;
    return err::Success;
}

uint32_t Win32Spooler::ports(std::vector<std::string>& out) {
    out.clear();
    Listing listing;
    if (uint32_t e = fetchWithin(fetchPorts, listing, patience_)) return e;
    const auto* info = reinterpret_cast<const PORT_INFO_1W*>(listing.buffer.data());
    for (DWORD i = 0; i < listing.count; ++i)
        if (info[i].pName != nullptr) out.push_back(text(info[i].pName));
    return err::Success;
}

uint32_t Win32Spooler::openPrinter(const std::string& printer) {
    // No name opens the print server; a comma adds a job or a port monitor to the name, and a
    // bare "\\server" is the server: none of them is a printer.
    const std::wstring name = win32::wideFromText(printer);
    if (name.empty() || name.find_first_of(L",\0", 0, 2) != std::wstring::npos ||
        (name.starts_with(L"\\\\") && name.find(L'\\', 2) == std::wstring::npos))
        return err::FileNotFound;
    uint32_t e = win32::callWithin(
        [name] {
            HANDLE h = nullptr;
            if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &h, nullptr))
                return static_cast<uint32_t>(GetLastError());
            ClosePrinter(h);
            return err::Success;
        },
        patience_);
    switch (e) {
    case ERROR_INVALID_PRINTER_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_PATH_NOT_FOUND:
        return err::FileNotFound;
    case RPC_S_SERVER_UNAVAILABLE:
        return err::NotReady;
    default:
        return e;
    }
}

} // namespace lntc
