#include "platform/win32/win32_modules.h"

#include "platform/errors.h"
#include "platform/win32/text.h"

#include <vector>
#include <windows.h>

namespace lntc {

namespace {

class Win32Module : public LoadedModule {
  public:
    Win32Module(HMODULE handle, bool stay) : handle_(handle), stay_(stay) {}
    ~Win32Module() override {
        if (!stay_) FreeLibrary(handle_);
    }
    Win32Module(const Win32Module&) = delete;
    Win32Module& operator=(const Win32Module&) = delete;
    void* symbol(const char* name) const override {
        return name != nullptr ? reinterpret_cast<void*>(GetProcAddress(handle_, name)) : nullptr;
    }

  private:
    HMODULE handle_;
    bool stay_;
};

// The system's message for a code about a file, without its line end.
std::string messageOf(DWORD code, const std::string& path) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message(buffer != nullptr ? buffer : L"", n);
    if (buffer != nullptr) LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    std::string text = message.empty() ? systemErrorText(code) : win32::textFromWide(message);
    // Some messages name the file themselves.
    const size_t insert = text.find("%1");
    if (insert == std::string::npos) return path + ": " + text;
    return text.replace(insert, 2, path);
}

bool isDirectory(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

std::unique_ptr<LoadedModule> Win32Modules::load(const std::string& path, bool stay,
                                                 uint32_t& error, std::string* why) {
    auto fail = [&](uint32_t code, std::string text) -> std::unique_ptr<LoadedModule> {
        error = code;
        if (why) *why = std::move(text);
        return nullptr;
    };
    const std::wstring wide = win32::wideFromText(path);
    if (wide.empty() || wide.find(L'\0') != std::wstring::npos)
        return fail(err::FileNotFound, path + ": " + systemErrorText(err::FileNotFound));
    // The search for dependencies beside the module wants its full path; a bare name would
    // otherwise be looked for along the search path.
    std::vector<wchar_t> full(MAX_PATH);
    for (;;) {
        DWORD n =
            GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            const DWORD e = GetLastError();
            return fail(e, messageOf(e, path));
        }
        if (n < full.size()) break;
        full.resize(n);
    }
    const DWORD attributes = GetFileAttributesW(full.data());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        return fail(e, messageOf(e, path));
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return fail(err::BadExeFormat, path + " is not a file");
    // No message box about a broken file; the caller's own error mode stays as it was.
    DWORD mode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &mode);
    HMODULE handle = LoadLibraryExW(
        full.data(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    // A system without the safe search flags refuses them: then beside the module, as before.
    if (handle == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
        handle = LoadLibraryExW(full.data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD e = GetLastError();
    SetThreadErrorMode(mode, nullptr);
    if (handle == nullptr) {
        // The file is there: what is missing is one of its dependencies.
        const uint32_t code = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND
                                  ? err::ModNotFound
                                  : (e != 0 ? e : err::BadExeFormat);
        return fail(code, messageOf(code, path));
    }
    error = err::Success;
    return std::make_unique<Win32Module>(handle, stay);
}

bool Win32Modules::isLoaded(const std::string& fileName) const {
    const std::wstring wide = win32::wideFromText(fileName);
    if (wide.empty() || wide.find(L'\0') != std::wstring::npos) return false;
    return GetModuleHandleW(wide.c_str()) != nullptr;
}

std::string Win32Modules::systemFolder() const {
    std::string path = env_.modulePath();
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    // The root of a drive keeps its backslash: "C:" alone is that drive's current directory.
    std::string folder = path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
    // An installed library keeps its modules in a folder of their own; in the build tree they
    // lie beside it.
    std::string own = folder + (folder.ends_with('\\') ? "" : "\\") + LNTC_MODULE_FOLDER;
    if (isDirectory(win32::wideFromText(own))) return own;
    return folder;
}

} // namespace lntc
