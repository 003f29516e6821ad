// In-memory stand-ins for the platform services, for tests of the product logic.
#pragma once
#include "platform/platform.h"
#include "resources/module_abi.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace lntc::test {

// Sections live in heap memory. Like the real ones, the first open of a name creates it
// and it disappears when the last handle closes.
class FakeSections : public Sections {
  public:
    uint32_t openError = 0;     // open() and openEvent() answer this when not 0
    uint32_t writableError = 0; // writable views of open sections fail with this when not 0
    // Answers of waitFilled() in order; when used up, Filled.
    std::deque<Section::FillState> fillScript;

    uint32_t openUnit(const std::vector<SectionPart>& parts, std::unique_ptr<Section>& out,
                      bool& created, size_t* failedPart = nullptr) override;
    uint32_t openEvent(const std::string& name, std::unique_ptr<Event>& out,
                       bool& created) override;

    // The bytes of a section while some handle holds it; nullptr otherwise.
    std::vector<unsigned char>* memory(const std::string& name);

  private:
    using Bytes = std::vector<unsigned char>;
    std::shared_ptr<Bytes> hold(const std::string& name, size_t size, bool& created);
    std::map<std::string, std::weak_ptr<Bytes>> sections_; // events too, as "event:<name>"
};

// Files by product path, ignoring case. Files can be read, written, renamed and copied;
// folders exist only where added or created (a drive "X:" always does); everything else
// answers 50 (not supported).
class FakeFileSystem : public FileSystem {
  public:
    void addFile(const std::string& path, const std::string& contents);
    void addFolder(const std::string& path, bool readOnly = false);
    uint32_t writeError = 0;          // the writing calls answer this when not 0
    uint32_t createError = 0;         // createDirectory answers this when not 0
    std::string cwd;                  // the current directory; empty: unknown
    std::vector<std::string> created; // every folder createDirectory made, in order

    std::string hostPath(std::string_view) const override { return {}; }
    std::string productPath(std::string_view) const override { return {}; }
    uint32_t attributes(std::string_view, uint32_t& error) const override;
    uint32_t createDirectory(std::string_view path) override;
    using FileSystem::readFile;
    // Refuses a file larger than maxSize with 223, as the real one does.
    uint32_t readFile(std::string_view path, std::string& contents, uint64_t maxSize,
                      FileKeep* keep) const override;
    uint32_t writeFile(std::string_view path, std::string_view contents) override;
    uint32_t writeScratchFile(std::string_view path, std::string_view contents,
                              const FileKeep&) override {
        return writeFile(path, contents);
    }
    uint32_t deleteFile(std::string_view) override { return err::NotSupported; }
    uint32_t renameFile(std::string_view from, std::string_view to) override;
    uint32_t copyFile(std::string_view from, std::string_view to) override;
    uint32_t currentDirectory(std::string& out) const override;

  private:
    std::map<std::string, std::string> files_; // by upper-case path without trailing "\\"
    std::map<std::string, bool> folders_;      // read-only, keyed alike
};

// Locks by name; those in `held` are held by another process all the time there is to wait.
class FakeLocks : public FileLocks {
  public:
    std::set<std::string> held;
    uint32_t acquire(const std::string& name, std::chrono::milliseconds,
                     std::unique_ptr<Held>& out) override {
        out = held.count(name) ? nullptr : std::make_unique<Held>();
        return out ? 0 : err::LockViolation;
    }
};

class FakeEnvironment : public Environment {
  public:
    std::map<std::string, std::string, std::less<>> vars;
    std::string module = "/fake/lib/liblntc.so";
    std::string language = "ENU";

    std::optional<std::string> get(std::string_view name) const override;
    void set(std::string_view name, std::string_view value) override {
        vars[std::string(name)] = std::string(value);
    }
    char pathListSeparator() const override { return ':'; }
    std::string modulePath() const override { return module; }
    std::string userLanguage() const override { return language; }
    std::string hostName() const override { return "fakehost"; }
};

class FakeClock : public Clock {
  public:
    int64_t time = 1'000'000'000;
    int64_t now() const override { return time; }
};

class FakeProcesses : public Processes {
  public:
    std::vector<ProcessEntry> running;
    std::vector<uint32_t> terminated; // every terminate() call, in order

    uint32_t list(std::vector<ProcessEntry>& out) const override;
    // Records the call; the process leaves the list.
    bool terminate(uint32_t pid) override;
};

// Windows of every "process" on a fake machine. Windows of other programs are added with
// add(); registered ones stay until unregistered. Names compare ignoring case.
class FakeTopWindows : public TopWindows {
  public:
    Handle add(const std::string& title, const std::string& className);
    uint32_t registerWindow(const std::string& title, const std::string& className,
                            Handle& out) override {
        out = add(title, className);
        return 0;
    }
    void unregister(Handle h) override {
        std::erase_if(windows_, [&](const Window& w) { return w.handle == h; });
    }
    bool existsWithTitle(const std::string& title) const override { return exists(title, true); }
    bool existsWithClass(const std::string& name) const override { return exists(name, false); }

  private:
    struct Window {
        Handle handle;
        std::string title, className; // upper case
    };
    bool exists(const std::string& name, bool byTitle) const;
    std::vector<Window> windows_;
    Handle next_ = 1;
};

// Resource modules by host path: a table is served as a loaded module file would be; a path in
// `broken` is a file that exists but cannot be loaded.
class FakeModules : public Modules {
  public:
    std::map<std::string, const LntcResourceTable*> tables;
    std::map<std::string, uint32_t> broken;
    std::vector<std::string> asked; // every path load() was called with, in order

    std::unique_ptr<LoadedModule> load(const std::string& path, bool stay, uint32_t& error,
                                       std::string* why = nullptr) override;
    bool isLoaded(const std::string&) const override { return false; }
    std::string folder = "/fake/lib";
    std::string systemFolder() const override { return folder; }
};

} // namespace lntc::test
