#include "support/fake_platform.h"

#include "resources/module_table.h"

#include <algorithm>
#include <cctype>

namespace lntc::test {

namespace {

class FakeSection : public Section {
  public:
    using Memory = std::shared_ptr<std::vector<unsigned char>>;
    FakeSection(FakeSections& owner, std::vector<Memory> parts)
        : owner_(owner), parts_(std::move(parts)) {}

    size_t partSize(size_t part) const override { return parts_.at(part)->size(); }
    void* mapPart(size_t part, bool, uint32_t& error) override {
        error = 0;
        return parts_.at(part)->data();
    }
    void unmapPart(size_t, void*) override {}
    FillState waitFilled(std::chrono::milliseconds) override {
        if (owner_.fillScript.empty()) return FillState::Filled;
        FillState s = owner_.fillScript.front();
        owner_.fillScript.pop_front();
        return s;
    }
    void markFilled() override {}

  private:
    FakeSections& owner_;
    std::vector<Memory> parts_;
};

class FakeEvent : public Sections::Event {
  public:
    explicit FakeEvent(std::shared_ptr<int> token) : token_(std::move(token)) {}

  private:
    std::shared_ptr<int> token_;
};

std::string folded(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = c == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool equalNoCase(const std::string& a, const std::string& b) {
    return folded(a) == folded(b);
}

} // namespace

uint32_t FakeSections::openUnit(const std::vector<SectionPart>& parts,
                                std::unique_ptr<Section>& out, bool& created, size_t*) {
    if (openError) return openError;
    created = !sections_[parts.at(0).name].lock();
    std::vector<std::shared_ptr<std::vector<unsigned char>>> memories;
    for (const SectionPart& part : parts) {
        auto memory = sections_[part.name].lock();
        if (!memory) {
            memory = std::make_shared<std::vector<unsigned char>>(part.size);
            sections_[part.name] = memory;
        }
        memories.push_back(std::move(memory));
    }
    out = std::make_unique<FakeSection>(*this, std::move(memories));
    return 0;
}

uint32_t FakeSections::openEvent(const std::string& name, std::unique_ptr<Event>& out,
                                 bool& created) {
    if (openError) return openError;
    auto token = events_[name].lock();
    created = !token;
    if (!token) {
        token = std::make_shared<int>(0);
        events_[name] = token;
    }
    out = std::make_unique<FakeEvent>(token);
    return 0;
}

std::vector<unsigned char>* FakeSections::memory(const std::string& name) {
    auto it = sections_.find(name);
    return it == sections_.end() ? nullptr : it->second.lock().get(); // owned by the handles
}

void FakeFileSystem::addFile(const std::string& path, const std::string& contents) {
    files_[folded(path)] = contents;
}

namespace {
// A folder's key: upper case, without trailing "\".
std::string folderKey(std::string_view path) {
    std::string key = folded(path);
    while (key.size() > 2 && key.back() == '\\')
        key.pop_back();
    return key;
}
} // namespace

void FakeFileSystem::addFolder(const std::string& path, bool readOnly) {
    folders_[folderKey(path)] = readOnly;
}

uint32_t FakeFileSystem::attributes(std::string_view path, uint32_t& error) const {
    const std::string key = folderKey(path);
    if (auto it = folders_.find(key); it != folders_.end() || (key.size() == 2 && key[1] == ':')) {
        error = 0;
        bool readOnly = it != folders_.end() && it->second;
        return fileattr::Directory | (readOnly ? fileattr::ReadOnly : 0);
    }
    error = files_.count(folded(path)) ? 0 : err::FileNotFound;
    return error ? fileattr::Invalid : fileattr::Normal;
}

uint32_t FakeFileSystem::createDirectory(std::string_view path) {
    if (createError) return createError;
    const std::string key = folderKey(path);
    uint32_t error = 0;
    if (attributes(key, error) != fileattr::Invalid) return err::AlreadyExists;
    const size_t slash = key.rfind('\\');
    const std::string parent = slash == std::string::npos ? std::string() : key.substr(0, slash);
    const uint32_t above = parent.empty() ? fileattr::Invalid : attributes(parent, error);
    if (above == fileattr::Invalid || !(above & fileattr::Directory)) return err::PathNotFound;
    folders_[key] = false;
    created.emplace_back(path);
    return 0;
}

uint32_t FakeFileSystem::currentDirectory(std::string& out) const {
    if (cwd.empty()) return err::NotSupported;
    out = cwd;
    return 0;
}

uint32_t FakeFileSystem::readFile(std::string_view path, std::string& contents) const {
    auto it = files_.find(folded(path));
    if (it == files_.end()) return err::FileNotFound;
    contents = it->second;
    return 0;
}

uint32_t FakeFileSystem::writeFile(std::string_view path, std::string_view contents) {
    if (writeError == 0) files_[folded(path)] = contents;
    return writeError;
}

uint32_t FakeFileSystem::renameFile(std::string_view from, std::string_view to) {
    auto it = files_.find(folded(from));
    if (it == files_.end()) return err::FileNotFound;
    if (writeError != 0) return writeError;
    std::string contents = std::move(it->second);
    files_.erase(it);
    files_[folded(to)] = std::move(contents);
    return 0;
}

uint32_t FakeFileSystem::copyFile(std::string_view from, std::string_view to) {
    std::string contents;
    if (uint32_t e = readFile(from, contents)) return e;
    return writeFile(to, contents);
}

std::optional<std::string> FakeEnvironment::get(std::string_view name) const {
    auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
}

void FakeEnvironment::set(std::string_view name, std::string_view value) {
    vars[std::string(name)] = std::string(value);
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
    Handle h = next_++;
    windows.push_back({h, title, className});
    return h;
}

uint32_t FakeTopWindows::registerWindow(const std::string& title, const std::string& className,
                                        Handle& out) {
    out = add(title, className);
    return 0;
}

void FakeTopWindows::unregister(Handle handle) {
    std::erase_if(windows, [&](const Window& w) { return w.handle == handle; });
}

bool FakeTopWindows::existsWithTitle(const std::string& title) const {
    return std::any_of(windows.begin(), windows.end(),
                       [&](const Window& w) { return equalNoCase(w.title, title); });
}

bool FakeTopWindows::existsWithClass(const std::string& className) const {
    return std::any_of(windows.begin(), windows.end(),
                       [&](const Window& w) { return equalNoCase(w.className, className); });
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
    if (auto it = broken.find(path); it != broken.end()) {
        error = it->second;
        return nullptr;
    }
    if (auto it = tables.find(path); it != tables.end()) {
        error = 0;
        return std::make_unique<FakeModule>(it->second);
    }
    error = err::FileNotFound;
    return nullptr;
}

} // namespace lntc::test
