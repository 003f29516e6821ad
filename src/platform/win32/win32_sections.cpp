// Named sections over file mappings backed by the paging file. Such a mapping vanishes with its
// last handle, so a unit lives exactly while some process holds it, and dies with its holders.
#include "platform/win32/win32_sections.h"

#include "platform/errors.h"
#include "platform/win32/win32_security.h"

#include <windows.h>
#include <winternl.h>

namespace lntc {

namespace {

// What the creator decided, kept beside the parts: later openers map what it made, not what
// they asked for.
struct State {
    uint64_t filled;
    uint64_t count;
    uint64_t sizes[1];
};

size_t stateSize(size_t parts) {
    return sizeof(State) + (parts - 1) * sizeof(uint64_t);
}

class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(Handle&& o) noexcept : h_(o.release()) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = o.release();
        }
        return *this;
    }
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    void reset() {
        if (h_) CloseHandle(h_);
        h_ = nullptr;
    }

  private:
    HANDLE h_ = nullptr;
};

// The unit's guard: held while its objects are created, opened or closed, so that nobody sees
// one part without the others. A holder that died mid-way closed its handles on the way out.
class Guard {
  public:
    explicit Guard(HANDLE mutex) : mutex_(mutex) {
        DWORD w = WaitForSingleObject(mutex_, INFINITE);
        held_ = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
    }
    ~Guard() {
        if (held_) ReleaseMutex(mutex_);
    }
    bool held() const { return held_; }

  private:
    HANDLE mutex_;
    bool held_;
};

HANDLE createMapping(const std::wstring& name, size_t size) {
    win32::SecurityAttributes sa(win32::ObjectKind::Mapping, win32::Reach::Machine);
    if (!sa.get()) {
        SetLastError(sa.error());
        return nullptr;
    }
    return CreateFileMappingW(INVALID_HANDLE_VALUE, sa.get(), PAGE_READWRITE,
                              static_cast<DWORD>(static_cast<uint64_t>(size) >> 32),
                              static_cast<DWORD>(size), name.c_str());
}

class Win32Section : public Section {
  public:
    Win32Section(Handle guard, Handle fill, Handle state, State* view, std::vector<Handle> parts,
                 std::vector<size_t> sizes, bool fillLocked)
        : guard_(std::move(guard)), fill_(std::move(fill)), state_(std::move(state)), view_(view),
          parts_(std::move(parts)), sizes_(std::move(sizes)), fillLocked_(fillLocked) {}

    ~Win32Section() override {
        Guard guard(guard_.get());
        // Left unfilled: the lock goes now rather than at this thread's end, and the next
        // waiter fills.
        if (fillLocked_) ReleaseMutex(fill_.get());
        UnmapViewOfFile(view_);
        parts_.clear();
        state_.reset();
        fill_.reset();
    }

    size_t partSize(size_t part) const override { return part < sizes_.size() ? sizes_[part] : 0; }

    void* mapPart(size_t part, bool writable, uint32_t& error) override {
        if (part >= parts_.size()) {
            error = err::InvalidParameter;
            return nullptr;
        }
        DWORD access = writable ? FILE_MAP_READ | FILE_MAP_WRITE : FILE_MAP_READ;
        void* p = MapViewOfFile(parts_[part].get(), access, 0, 0, sizes_[part]);
        error = p ? err::Success : GetLastError();
        return p;
    }

    void unmapPart(size_t part, void* view) override {
        if (view && part < parts_.size()) UnmapViewOfFile(view);
    }

    FillState waitFilled(std::chrono::milliseconds timeout) override {
        // The mutex is recursive: a wait of our own would not block.
        if (fillLocked_) return FillState::MustFill;
        DWORD ms = timeout.count() >= INFINITE ? INFINITE - 1
                   : timeout.count() < 0       ? 0
                                               : static_cast<DWORD>(timeout.count());
        DWORD w = WaitForSingleObject(fill_.get(), ms);
        if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) return FillState::StillFilling;
        // Free, or left by a filler that died: only the flag tells whether it finished. The
        // waiters after us queue on the mutex, so only one of them refills.
        if (readFilled()) {
            ReleaseMutex(fill_.get());
            return FillState::Filled;
        }
        fillLocked_ = true;
        return FillState::MustFill;
    }

    void markFilled() override {
        InterlockedExchange64(reinterpret_cast<volatile LONG64*>(&view_->filled), 1);
        if (fillLocked_) ReleaseMutex(fill_.get());
        fillLocked_ = false;
    }

    bool heldElsewhere() override {
        // Every holder keeps one handle to the state, views keep none; under the guard nobody
        // opens or closes one. A system that does not count says true, as the interface asks.
        using Query = LONG(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
        static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
        Guard guard(guard_.get());
        PUBLIC_OBJECT_BASIC_INFORMATION info{};
        ULONG length = 0;
        if (!query || !guard.held() ||
            query(state_.get(), ObjectBasicInformation, &info, sizeof info, &length) < 0)
            return true;
        return info.HandleCount > 1;
    }

  private:
    bool readFilled() const {
        return InterlockedCompareExchange64(reinterpret_cast<volatile LONG64*>(&view_->filled), 0,
                                            0) != 0;
    }

    Handle guard_;
    Handle fill_;
    Handle state_;
    State* view_;
    std::vector<Handle> parts_;
    std::vector<size_t> sizes_;
    bool fillLocked_;
};

class Win32Event : public Sections::Event {
  public:
    explicit Win32Event(Handle h) : h_(std::move(h)) {}

  private:
    Handle h_;
};

} // namespace

Win32Sections::Win32Sections(const std::string& root) : prefix_(win32::objectPrefix(root)) {}

std::wstring Win32Sections::objectName(const std::string& name, const char* kind) const {
    return win32::objectName(prefix_, name, kind);
}

uint32_t Win32Sections::openUnit(const std::vector<SectionPart>& specs,
                                 std::unique_ptr<Section>& out, bool& created, size_t* failedPart) {
    out.reset();
    created = false;
    if (failedPart) *failedPart = 0;
    if (specs.empty()) return err::InvalidParameter;
    for (const SectionPart& p : specs)
        if (p.name.empty() || p.size == 0 || p.name.find('\0') != std::string::npos)
            return err::InvalidParameter;
    const std::string& unit = specs[0].name;

    win32::SecurityAttributes sa(win32::ObjectKind::Mutex, win32::Reach::Machine);
    if (!sa.get()) return sa.error();
    Handle guard(CreateMutexW(sa.get(), FALSE, objectName(unit, "guard").c_str()));
    if (!guard) return GetLastError();
    Guard lock(guard.get());
    if (!lock.held()) return GetLastError();

    // The state object is made first and closed last: it tells whether the unit exists.
    Handle state(createMapping(objectName(unit, "state"), stateSize(specs.size())));
    if (!state) return GetLastError();
    const bool fresh = GetLastError() != ERROR_ALREADY_EXISTS;
    auto* view = static_cast<State*>(MapViewOfFile(state.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0,
                                                   0, fresh ? stateSize(specs.size()) : 0));
    if (!view) return GetLastError();
    uint32_t error = err::Success;
    size_t failed = 0;
    std::vector<Handle> parts;
    std::vector<size_t> sizes;
    Handle fill;
    if (!fresh && view->count != specs.size()) error = err::InvalidData;
    for (; error == err::Success && failed < specs.size(); ++failed) {
        const std::wstring name = objectName(specs[failed].name);
        if (fresh) {
            parts.emplace_back(createMapping(name, specs[failed].size));
            // Under the guard a fresh unit has no parts yet: one already there was planted.
            if (parts.back() && GetLastError() == ERROR_ALREADY_EXISTS) error = err::AlreadyExists;
            view->sizes[failed] = specs[failed].size;
        } else {
            parts.emplace_back(
                OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name.c_str()));
            // The first creator decided the size; a larger request cannot be mapped.
            if (parts.back() && view->sizes[failed] < specs[failed].size) error = err::AccessDenied;
        }
        if (!parts.back()) error = GetLastError();
        if (error) break;
        sizes.push_back(static_cast<size_t>(view->sizes[failed]));
    }
    if (error == err::Success) {
        // The creator takes the fill lock before anybody can see the unit.
        fill = Handle(CreateMutexW(sa.get(), fresh, objectName(unit, "fill").c_str()));
        if (!fill || (fresh && GetLastError() == ERROR_ALREADY_EXISTS)) {
            error = fill ? err::AlreadyExists : GetLastError();
            failed = 0;
        }
    }
    if (error) {
        UnmapViewOfFile(view);
        if (failedPart) *failedPart = failed < specs.size() ? failed : 0;
        return error;
    }
    if (fresh) {
        view->count = specs.size();
        view->filled = 0;
    }
    out = std::make_unique<Win32Section>(std::move(guard), std::move(fill), std::move(state), view,
                                         std::move(parts), std::move(sizes), fresh);
    created = fresh;
    return err::Success;
}

uint32_t Win32Sections::openEvent(const std::string& name, std::unique_ptr<Event>& out,
                                  bool& created) {
    out.reset();
    created = false;
    if (name.empty() || name.find('\0') != std::string::npos) return err::InvalidParameter;
    win32::SecurityAttributes sa(win32::ObjectKind::Event, win32::Reach::Machine);
    if (!sa.get()) return sa.error();
    Handle h(CreateEventW(sa.get(), TRUE, FALSE, objectName(name, "event").c_str()));
    if (!h) return GetLastError();
    created = GetLastError() != ERROR_ALREADY_EXISTS;
    out = std::make_unique<Win32Event>(std::move(h));
    return err::Success;
}

} // namespace lntc
