// The little the tools ask of the system that Linux and Windows answer differently.
#pragma once
#include "lntc_admin.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

// What a program that starts the library itself exports (see lntc_admin.h): on Windows the
// library finds it in the program's export table.
#ifdef _WIN32
#define LNTC_TOOL_EXPORT __declspec(dllexport)
#else
#define LNTC_TOOL_EXPORT LNTC_API
#endif

namespace tool {

#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kNullDevice = "/dev/null";
#endif

// The standard streams pass bytes as they are: the output is Linux's to the byte (lines end in
// LF), and what is read from standard input reaches the library unchanged.
inline void binaryStandardStreams() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

inline bool isTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(fileno(stream)) == 1;
#endif
}

// For this process and the library it loaded.
inline void setVariable(const char* name, const char* value, bool replace = true) {
#ifdef _WIN32
    if (replace || std::getenv(name) == nullptr) _putenv_s(name, value);
#else
    ::setenv(name, value, replace ? 1 : 0);
#endif
}

// This program's file; empty with ec when the system cannot say.
inline std::filesystem::path selfPath(std::error_code& ec) {
#ifdef _WIN32
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    if (n == 0 || n == 32768) {
        ec.assign(static_cast<int>(GetLastError()), std::system_category());
        return {};
    }
    ec.clear();
    return std::filesystem::path(path);
#else
    return std::filesystem::read_symlink("/proc/self/exe", ec);
#endif
}

} // namespace tool
