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
        error = owner_.mapError;
        if (error) return nullptr;
        ++owner_.openViews;
        return parts_.at(part)->data();
    }
    void unmapPart(size_t, void* view) override {
        if (view) --owner_.openViews;
    }
    FillState waitFilled(std::chrono::milliseconds) override {
        if (owner_.fillScript.empty()) return FillState::Filled;
        FillState s = owner_.fillScript.front();
        owner_.fillScript.pop_front();
        return s;
    }
    void markFilled() override { ++owner_.markFilledCalls; }

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

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
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
    if (createdOverride) created = *createdOverride;
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
    if (createdOverride) created = *createdOverride;
    out = std::make_unique<FakeEvent>(token);
    return 0;
}

std::vector<unsigned char>* FakeSections::memory(const std::string& name) {
    auto it = sections_.find(name);
    if (it == sections_.end()) return nullptr;
    auto memory = it->second.lock();
    return memory.get(); // still owned by the open handles
}

FakeFileSystem::FakeFileSystem() {
    entries_["C:"] = Entry{"C:", true, false, {}};
}

std::string FakeFileSystem::key(std::string_view path) const {
    std::string p(path);
    std::replace(p.begin(), p.end(), '/', '\\');
    std::string full;
    if (p.size() >= 2 && p[1] == ':')
        full = p.size() > 2 && p[2] == '\\' ? p : p.substr(0, 2) + "\\" + p.substr(2);
    else if (!p.empty() && p[0] == '\\')
        full = currentDir.substr(0, 2) + p;
    else
        full = currentDir + "\\" + p;
    // Fold "." and ".." and doubled separators.
    std::vector<std::string> parts;
    size_t i = 3;
    while (i <= full.size()) {
        size_t j = full.find('\\', i);
        if (j == std::string::npos) j = full.size();
        std::string part = full.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string k = upper(full.substr(0, 2));
    for (const auto& part : parts)
        k += "\\" + upper(part);
    return k;
}

std::string FakeFileSystem::parentKey(const std::string& key) {
    size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

uint32_t FakeFileSystem::missing(const std::string& k) const {
    auto parent = entries_.find(parentKey(k));
    return parent != entries_.end() && parent->second.directory ? 2 : 3;
}

void FakeFileSystem::addDirectory(const std::string& path) {
    std::string k = key(path);
    for (std::string p = k; p.size() > 2; p = parentKey(p))
        if (!entries_.count(p)) entries_[p] = Entry{p.substr(p.rfind('\\') + 1), true, false, {}};
}

void FakeFileSystem::addFile(const std::string& path, const std::string& contents, bool readOnly) {
    std::string k = key(path);
    addDirectory(parentKey(k));
    entries_[k] = Entry{k.substr(k.rfind('\\') + 1), false, readOnly, contents};
}

bool FakeFileSystem::exists(const std::string& path) const {
    return entries_.count(key(path));
}

std::optional<std::string> FakeFileSystem::contents(const std::string& path) const {
    auto it = entries_.find(key(path));
    if (it == entries_.end() || it->second.directory) return std::nullopt;
    return it->second.contents;
}

std::string FakeFileSystem::hostPath(std::string_view productPath) const {
    std::string k = key(productPath);
    char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(k[0])));
    std::string rest = k.substr(2);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return "/fake/" + std::string(1, drive) + rest;
}

std::string FakeFileSystem::productPath(std::string_view hostPath) const {
    std::string h(hostPath);
    if (h.rfind("/fake/", 0) == 0 && h.size() >= 7) {
        std::string out = upper(h.substr(6, 1)) + ":" + h.substr(7);
        if (out.size() == 2) out += "\\";
        std::replace(out.begin(), out.end(), '/', '\\');
        return out;
    }
    std::replace(h.begin(), h.end(), '/', '\\');
    return "Z:" + h;
}

uint32_t FakeFileSystem::attributes(std::string_view path, uint32_t& error) const {
    std::string k = key(path);
    auto it = entries_.find(k);
    if (it == entries_.end()) {
        error = missing(k);
        return fileattr::Invalid;
    }
    error = 0;
    uint32_t attr = (it->second.directory ? fileattr::Directory : 0) |
                    (it->second.readOnly ? fileattr::ReadOnly : 0);
    return attr ? attr : fileattr::Normal;
}

uint32_t FakeFileSystem::createDirectory(std::string_view path) {
    std::string k = key(path);
    if (entries_.count(k)) return 183;
    if (missing(k) == 3) return 3;
    entries_[k] = Entry{k.substr(k.rfind('\\') + 1), true, false, {}};
    return 0;
}

uint32_t FakeFileSystem::readFile(std::string_view path, std::string& contents) const {
    std::string k = key(path);
    auto it = entries_.find(k);
    if (it == entries_.end()) return missing(k);
    if (it->second.directory) return 5;
    contents = it->second.contents;
    return 0;
}

uint32_t FakeFileSystem::writeFile(std::string_view path, std::string_view contents) {
    std::string k = key(path);
    auto it = entries_.find(k);
    if (it != entries_.end() && (it->second.directory || it->second.readOnly)) return 5;
    if (it == entries_.end() && missing(k) == 3) return 3;
    Entry& e = entries_[k];
    if (e.name.empty()) e.name = k.substr(k.rfind('\\') + 1);
    e.contents = std::string(contents);
    return 0;
}

uint32_t FakeFileSystem::deleteFile(std::string_view path) {
    std::string k = key(path);
    auto it = entries_.find(k);
    if (it == entries_.end()) return missing(k);
    if (it->second.directory || it->second.readOnly) return 5;
    entries_.erase(it);
    return 0;
}

uint32_t FakeFileSystem::renameFile(std::string_view from, std::string_view to) {
    std::string src = key(from), dst = key(to);
    auto it = entries_.find(src);
    if (it == entries_.end()) return missing(src);
    if (it->second.directory) return 5; // folders with contents are beyond this fake
    if (uint32_t e = copyFile(from, to)) return e;
    if (src != dst) entries_.erase(src);
    return 0;
}

uint32_t FakeFileSystem::copyFile(std::string_view from, std::string_view to) {
    std::string data;
    if (uint32_t e = readFile(from, data)) return e;
    bool readOnly = entries_[key(from)].readOnly;
    if (uint32_t e = writeFile(to, data)) return e;
    entries_[key(to)].readOnly = readOnly;
    return 0;
}

uint32_t FakeFileSystem::currentDirectory(std::string& out) const {
    out = currentDir;
    return 0;
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
    if (listError) return listError;
    out = running;
    std::sort(out.begin(), out.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return 0;
}

bool FakeProcesses::terminate(uint32_t pid) {
    terminated.push_back(pid);
    if (!terminateSucceeds) return false;
    auto it = std::find_if(running.begin(), running.end(),
                           [pid](const ProcessEntry& p) { return p.pid == pid; });
    if (it == running.end()) return false;
    running.erase(it);
    return true;
}

namespace {

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

TopWindows::Handle FakeTopWindows::add(const std::string& title, const std::string& className) {
    Handle h = next_++;
    windows.push_back({h, title, className});
    return h;
}

uint32_t FakeTopWindows::registerWindow(const std::string& title, const std::string& className,
                                        Handle& out) {
    out = 0;
    if (registerError) return registerError;
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
