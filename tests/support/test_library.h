// A Library over fakes, for unit tests of the product logic. Two TestLibrary objects built
// over one FakeMachine behave like two processes on one machine.
#pragma once
#include "library/library.h"
#include "store/fields.h"
#include "support/fake_platform.h"
#include "support/fake_product.h"
#include "support/fake_spooler.h"
#include "support/memory_registry.h"
#include "support/recording_host.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lntc::test {

// What processes on one machine share.
struct FakeMachine {
    MemoryRegistry registry;
    FakeSections sections;
    FakeFileSystem files;
    FakeClock clock;
    FakeProcesses processes;
    FakeTopWindows windows;
    FakeModules modules;
    FakeSpooler spooler;
    FakeServices services;
    FakeLocks locks;
};

class TestLibrary {
  public:
    explicit TestLibrary(FakeMachine& machine, bool load = true);
    ~TestLibrary() { unload(); }
    Library& lib() { return *lib_; }
    Library* operator->() { return lib_.get(); }
    FakeMachine& machine;
    FakeEnvironment env;
    FakeProductLibs product;
    RecordingHost host;
    uint32_t loadStatus = 0;
    bool unloaded = false;
    void unload();
    // Reopens the registry root as a process does that may not write the store; the store
    // itself stays writable.
    void makeRegistryReadOnly();

    // Texts of the error-log lines written so far.
    std::vector<std::string> loggedTexts() const;
    bool logged(const std::string& text) const;

  private:
    std::unique_ptr<Library> lib_;
};

// One answering ODR, Alpha:Quendal, release 3.1.0.
extern const char* const kDefaultDirectory;

// Direct reads for assertions; nullopt when missing or of another type.
std::optional<std::string> getString(const MemoryRegistry& reg, const std::string& path,
                                     const std::string& name);
std::optional<uint32_t> getDword(const MemoryRegistry& reg, const std::string& path,
                                 const std::string& name);

// Registry paths below the product root.
std::string productPath(const std::string& subkey);

// Records of one layout side by side, a line per field in the table's order:
// "Name: first | second | ...", texts in double quotes, numbers in decimal. Every byte no field
// shows (one after a text's end, one outside every field) that is not zero gets a line of its
// own, so that equal listings mean equal records.
std::string fieldColumns(std::span<const Field> fields, const std::vector<const void*>& records,
                         size_t recordSize);
// The text of a file under tests/golden/ in the source tree, without its lines that start with
// "#" (what the file shows, for its reader).
std::string goldenText(const std::string& name);

} // namespace lntc::test
