#include "support/reg_text.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lntc::test {

namespace {

constexpr std::string_view kHive = "HKEY_LOCAL_MACHINE\\";

// A quoted string starting at text[0] == '"', with \\ and \" escapes; advances past it.
bool quoted(std::string_view& text, std::string& out) {
    if (text.empty() || text[0] != '"') return false;
    out.clear();
    for (size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            out.push_back(text[++i]);
        } else if (c == '"') {
            text.remove_prefix(i + 1);
            return true;
        } else {
            out.push_back(c);
        }
    }
    return false;
}

} // namespace

void loadRegText(Registry& registry, std::string_view text) {
    std::string key;
    size_t lineNo = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        auto fail = [&] {
            throw std::runtime_error("line " + std::to_string(lineNo) + ": " + std::string(line));
        };
        if (line.empty() || line[0] == ';' || line == "REGEDIT4") continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.substr(1, kHive.size()) != kHive) fail();
            key = std::string(line.substr(1 + kHive.size(), line.size() - 2 - kHive.size()));
            RegKey handle = kNoKey;
            if (registry.createKey(kLocalMachine, key, RegAccess::Write, handle) != 0) fail();
            registry.closeKey(handle);
            continue;
        }
        std::string name, value;
        if (key.empty() || !quoted(line, name) || line.empty() || line[0] != '=') fail();
        line.remove_prefix(1);
        RegKey handle = kNoKey;
        if (registry.createKey(kLocalMachine, key, RegAccess::Write, handle) != 0) fail();
        KeyGuard guard(registry, handle);
        uint32_t rc = 0;
        if (line.substr(0, 6) == "dword:") {
            uint32_t number =
                static_cast<uint32_t>(std::stoul(std::string(line.substr(6)), nullptr, 16));
            rc = registry.setValue(handle, name, regtype::Dword, &number, 4);
        } else if (quoted(line, value) && line.empty()) {
            rc = registry.setValue(handle, name, regtype::Sz, value.c_str(),
                                   static_cast<uint32_t>(value.size() + 1));
        } else {
            fail();
        }
        if (rc != 0) fail();
    }
}

std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace lntc::test
