// A Library over fakes, for unit tests of the product logic. Two TestLibrary objects built
// over one FakeMachine behave like two processes on one machine.
#pragma once
#include "library/library.h"
#include "support/fake_platform.h"
#include "support/fake_product.h"
#include "support/fake_spooler.h"
#include "support/memory_registry.h"
#include "support/recording_host.h"

#include <memory>
#include <string>

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

} // namespace lntc::test
