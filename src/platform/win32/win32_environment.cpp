#include "platform/win32/win32_environment.h"

#include "platform/win32/text.h"

#include <ctime>
#include <vector>
#include <windows.h>

namespace lntc {

namespace {

void anchor() {}

} // namespace

std::optional<std::string> Win32Environment::get(std::string_view name) const {
    const std::wstring wide = win32::wideFromText(name);
    if (wide.empty() || wide.find(L'\0') != std::wstring::npos) return std::nullopt;
    std::vector<wchar_t> buf(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        DWORD n = GetEnvironmentVariableW(wide.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        // 0 is both "not set" and "set to nothing"; only the error tells them apart.
        if (n == 0)
            return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt
                                                            : std::optional<std::string>("");
        if (n < buf.size()) return win32::textFromWide(std::wstring_view(buf.data(), n));
        buf.resize(n);
    }
}

void Win32Environment::set(std::string_view name, std::string_view value) {
    SetEnvironmentVariableW(win32::wideFromText(name).c_str(), win32::wideFromText(value).c_str());
}

std::string Win32Environment::modulePath() const {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&anchor), &module))
        module = nullptr; // the program itself
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return win32::textFromWide(std::wstring_view(buf.data(), n));
        buf.resize(buf.size() * 2);
    }
}

std::string Win32Environment::userLanguage() const {
    wchar_t buf[16] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, buf, 16) == 0) return {};
    return win32::textFromWide(buf);
}

std::string Win32Environment::hostName() const {
    wchar_t buf[256] = {};
    DWORD n = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, buf, &n)) return {};
    return win32::textFromWide(std::wstring_view(buf, n));
}

int64_t Win32Clock::now() const {
    return static_cast<int64_t>(std::time(nullptr));
}

} // namespace lntc
