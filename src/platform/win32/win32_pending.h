// Stand-ins for the Windows backends that are not written yet: each answers 120 (not
// supported), so that the library builds and runs its registry and its shared records until the
// real ones take their place. The module loader and the clock are real already.
#pragma once
#include "platform/environment.h"
#include "platform/filesystem.h"
#include "platform/locks.h"
#include "platform/machine_files.h"
#include "platform/modules.h"
#include "platform/processes.h"
#include "platform/services.h"
#include "platform/spooler.h"
#include "platform/windows.h"

#include <string>

namespace lntc {

inline constexpr uint32_t kPendingError = 120; // ERROR_CALL_NOT_IMPLEMENTED

class PendingFileSystem : public FileSystem {
  public:
    std::string hostPath(std::string_view productPath) const override {
        return std::string(productPath);
    }
    std::string productPath(std::string_view hostPath) const override {
        return std::string(hostPath);
    }
    uint32_t attributes(std::string_view, uint32_t& error) const override {
        error = kPendingError;
        return fileattr::Invalid;
    }
    uint32_t createDirectory(std::string_view) override { return kPendingError; }
    uint32_t readFile(std::string_view, std::string&, uint64_t, FileKeep*) const override {
        return kPendingError;
    }
    uint32_t writeFile(std::string_view, std::string_view) override { return kPendingError; }
    uint32_t writeScratchFile(std::string_view, std::string_view, const FileKeep&) override {
        return kPendingError;
    }
    uint32_t deleteFile(std::string_view) override { return kPendingError; }
    uint32_t renameFile(std::string_view, std::string_view) override { return kPendingError; }
    uint32_t copyFile(std::string_view, std::string_view) override { return kPendingError; }
    uint32_t currentDirectory(std::string&) const override { return kPendingError; }
};

class PendingFileLocks : public FileLocks {
  public:
    uint32_t acquire(const std::string&, std::chrono::milliseconds,
                     std::unique_ptr<Held>&) override {
        return kPendingError;
    }
};

class PendingMachineFiles : public MachineFiles {
  public:
    explicit PendingMachineFiles(std::string root) : root_(std::move(root)) {}
    std::string hostPath(std::string_view name) const override {
        std::string path = root_ + "\\" + std::string(name);
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }
    uint32_t append(std::string_view, std::string_view) override { return kPendingError; }
    uint32_t read(std::string_view, std::string&, uint64_t) const override { return kPendingError; }

  private:
    std::string root_;
};

class PendingProcesses : public Processes {
  public:
    uint32_t list(std::vector<ProcessEntry>& out) const override {
        out.clear();
        return kPendingError;
    }
    bool terminate(uint32_t) override { return false; }
};

class PendingSpooler : public Spooler {
  public:
    uint32_t printersSize(size_t& bytes) override {
        bytes = 0;
        return kPendingError;
    }
    uint32_t printers(std::vector<SpoolerPrinter>&) override { return kPendingError; }
    uint32_t portsSize(size_t& bytes) override {
        bytes = 0;
        return kPendingError;
    }
    uint32_t ports(std::vector<std::string>&) override { return kPendingError; }
    uint32_t openPrinter(const std::string&) override { return kPendingError; }
};

class PendingServices : public SystemServices {
  public:
    uint32_t queryTcpip(bool& present) override {
        present = false;
        return kPendingError;
    }
    uint32_t resolveHost(const std::string&, std::string&) override { return 11001; }
    std::optional<uint16_t> servicePort(const std::string&) override { return std::nullopt; }
};

class PendingTopWindows : public TopWindows {
  public:
    uint32_t registerWindow(const std::string&, const std::string&, Handle& out) override {
        out = 0;
        return kPendingError;
    }
    void unregister(Handle) override {}
    bool existsWithTitle(const std::string&) const override { return false; }
    bool existsWithClass(const std::string&) const override { return false; }
};

// Modules of the library's own folder, loaded with the system's loader.
class PendingModules : public Modules {
  public:
    explicit PendingModules(Environment& env) : env_(env) {}
    std::unique_ptr<LoadedModule> load(const std::string& path, bool stay, uint32_t& error,
                                       std::string* why = nullptr) override;
    bool isLoaded(const std::string& fileName) const override;
    std::string systemFolder() const override;

  private:
    Environment& env_;
};

} // namespace lntc
