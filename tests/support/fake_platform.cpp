#include "support/fake_platform.h"

#include "resources/module_table.h"

#include <algorithm>
#include <cctype>

namespace lntc::test {

namespace {

using Bytes = std::vector<unsigned char>;

class FakeSection : public Section {
  public:
    FakeSection(std::deque<FillState>& script, const uint32_t& writableError,
                std::vector<std::shared_ptr<Bytes>> parts)
        : script_(script), writableError_(writableError), parts_(std::move(parts)) {}

    size_t partSize(size_t part) const override { return parts_.at(part)->size(); }
    void* mapPart(size_t part, bool writable, uint32_t& error) override {
        error = writable ? writableError_ : 0;
        return error ? nullptr : parts_.at(part)->data();
    }
    void unmapPart(size_t, void*) override {}
    FillState waitFilled(std::chrono::milliseconds) override {
        if (script_.empty()) return FillState::Filled;
        FillState s = script_.front();
        script_.pop_front();
        return s;
    }
    void markFilled() override {}

  private:
    std::deque<FillState>& script_;
    const uint32_t& writableError_;
    std::vector<std::shared_ptr<Bytes>> parts_;
};

// Holds the event while it lives.
struct FakeEvent : Sections::Event {
    std::shared_ptr<Bytes> token;
};

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Upper case with "\" separators, without trailing "\" (a drive keeps its "X:").
std::string folded(std::string_view s) {
    std::string out = upper(s);
    std::replace(out.begin(), out.end(), '/', '\\');
    while (out.size() > 2 && out.back() == '\\')
        out.pop_back();
    return out;
}

} // namespace

// The named memory while some handle holds it; created (zeroed) when none does.
std::shared_ptr<FakeSections::Bytes> FakeSections::hold(const std::string& name, size_t size,
                                                        bool& created) {
    auto memory = sections_[name].lock();
    if ((created = !memory)) sections_[name] = memory = std::make_shared<Bytes>(size);
    return memory;
}

uint32_t FakeSections::openUnit(const std::vector<SectionPart>& parts,
                                std::unique_ptr<Section>& out, bool& created, size_t*) {
    if (openError) return openError;
    std::vector<std::shared_ptr<Bytes>> memories;
    for (const SectionPart& part : parts) {
        bool made = false;
        memories.push_back(hold(part.name, part.size, made));
        if (memories.size() == 1) created = made;
    }
    out = std::make_unique<FakeSection>(fillScript, writableError, std::move(memories));
    return 0;
}

uint32_t FakeSections::openEvent(const std::string& name, std::unique_ptr<Event>& out,
                                 bool& created) {
    if (openError) return openError;
    auto event = std::make_unique<FakeEvent>();
    event->token = hold("event:" + name, 0, created);
    out = std::move(event);
    return 0;
}

std::vector<unsigned char>* FakeSections::memory(const std::string& name) {
    auto it = sections_.find(name);
    return it == sections_.end() ? nullptr : it->second.lock().get(); // owned by the handles
}

void FakeFileSystem::addFile(const std::string& path, const std::string& contents) {
    files_[folded(path)] = contents;
}

void FakeFileSystem::addFolder(const std::string& path, bool readOnly) {
    folders_[folded(path)] = readOnly;
}

uint32_t FakeFileSystem::attributes(std::string_view path, uint32_t& error) const {
    const std::string key = folded(path);
    if (auto it = folders_.find(key); it != folders_.end() || (key.size() == 2 && key[1] == ':')) {
        error = 0;
        return fileattr::Directory | (it != folders_.end() && it->second ? fileattr::ReadOnly : 0);
    }
    error = files_.count(key) ? 0 : err::FileNotFound;
    return error ? fileattr::Invalid : fileattr::Normal;
}

uint32_t FakeFileSystem::createDirectory(std::string_view path) {
    if (createError) return createError;
    const std::string key = folded(path);
    uint32_t error = 0;
    if (attributes(key, error) != fileattr::Invalid) return err::AlreadyExists;
    const size_t slash = key.rfind('\\');
    if (slash == std::string::npos ||
        !(attributes(key.substr(0, slash), error) & fileattr::Directory) || error)
        return err::PathNotFound;
    folders_[key] = false;
    created.emplace_back(path);
    return 0;
}

uint32_t FakeFileSystem::currentDirectory(std::string& out) const {
    out = cwd.empty() ? out : cwd;
    return cwd.empty() ? err::NotSupported : 0;
}

uint32_t FakeFileSystem::readFile(std::string_view path, std::string& contents, uint64_t maxSize,
                                  FileKeep* keep) const {
    auto it = files_.find(folded(path));
    if (it == files_.end()) return err::FileNotFound;
    if (it->second.size() > maxSize) return err::FileTooLarge;
    contents = it->second;
    if (keep) *keep = FileKeep{true, false, 0644, 0, 0};
    return 0;
}

uint32_t FakeFileSystem::writeFile(std::string_view path, std::string_view contents) {
    if (writeError == 0) files_[folded(path)] = contents;
    return writeError;
}

uint32_t FakeFileSystem::renameFile(std::string_view from, std::string_view to) {
    auto it = files_.find(folded(from));
    if (it == files_.end() || writeError)
        return it == files_.end() ? err::FileNotFound : writeError;
    files_[folded(to)] = std::move(files_.extract(it).mapped());
    return 0;
}

uint32_t FakeFileSystem::copyFile(std::string_view from, std::string_view to) {
    std::string contents;
    uint32_t e = readFile(from, contents);
    return e ? e : writeFile(to, contents);
}

std::optional<std::string> FakeEnvironment::get(std::string_view name) const {
    auto it = vars.find(name);
    return it == vars.end() ? std::nullopt : std::optional(it->second);
}

uint32_t FakeProcesses::list(std::vector<ProcessEntry>& out) const {
    out = running;
    std::sort(out.begin(), out.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return 0;
}

bool FakeProcesses::terminate(uint32_t pid) {
    terminated.push_back(pid);
    return std::erase_if(running, [pid](const ProcessEntry& p) { return p.pid == pid; }) > 0;
}

TopWindows::Handle FakeTopWindows::add(const std::string& title, const std::string& className) {
    windows_.push_back({next_, upper(title), upper(className)});
    return next_++;
}

bool FakeTopWindows::exists(const std::string& name, bool byTitle) const {
    return std::any_of(windows_.begin(), windows_.end(), [&](const Window& w) {
        return (byTitle ? w.title : w.className) == upper(name);
    });
}

namespace {

// A module's entry hands out the table of the module whose symbol was asked for last: the
// loader calls it right after asking, on the same thread.
thread_local const LntcResourceTable* t_entryTable = nullptr;

const LntcResourceTable* fakeEntry() {
    return t_entryTable;
}

class FakeModule : public LoadedModule {
  public:
    explicit FakeModule(const LntcResourceTable* table) : table_(table) {}
    void* symbol(const char* name) const override {
        if (std::string(name) != LNTC_RESOURCE_ENTRY) return nullptr;
        t_entryTable = table_;
        return reinterpret_cast<void*>(&fakeEntry);
    }

  private:
    const LntcResourceTable* table_;
};

} // namespace

std::unique_ptr<LoadedModule> FakeModules::load(const std::string& path, bool, uint32_t& error,
                                                std::string*) {
    asked.push_back(path);
    auto table = tables.find(path);
    error = broken.count(path) ? broken.at(path) : table == tables.end() ? err::FileNotFound : 0;
    return error ? nullptr : std::make_unique<FakeModule>(table->second);
}

} // namespace lntc::test
