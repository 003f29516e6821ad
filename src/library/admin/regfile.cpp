#include "library/admin/regfile.h"

#include "platform/errors.h"
#include "platform/printable.h"
#include "platform/registry_util.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace lntc {

namespace {

const char* const kHeader4 = "REGEDIT4";
const char* const kHeader5 = "Windows Registry Editor Version 5.00";
const char* const kHiveName = "HKEY_LOCAL_MACHINE";

// Windows-1252 0x80..0x9F; the five holes map to the C1 controls, as the system does.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t fromCp1252(uint8_t b) {
    return (b >= 0x80 && b < 0xA0) ? char32_t(kCp1252High[b - 0x80]) : char32_t(b);
}

char toCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

std::string utf16leFromCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char b : text) {
        const char32_t c = fromCp1252(b);
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// UTF-16LE to single-byte text; an odd trailing byte is the caller's problem.
std::string cp1252FromUtf16le(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t u = static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            char32_t lo =
                static_cast<uint8_t>(bytes[i + 2]) | (static_cast<uint8_t>(bytes[i + 3]) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            }
        }
        out += toCp1252(u);
    }
    return out;
}

// Decodes UTF-8 to single-byte text; nullopt when the bytes are not UTF-8.
std::optional<std::string> cp1252FromUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        int extra = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
            extra = 3;
            c = b & 0x07;
        } else {
            return std::nullopt;
        }
        if (extra && i + extra >= bytes.size()) return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto cb = static_cast<uint8_t>(bytes[i + k]);
            if ((cb & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (cb & 0x3F);
        }
        i += 1 + extra;
        out += toCp1252(c);
    }
    return out;
}

// Text of the file quoted for a message, in the terminal's UTF-8.
std::string shown(std::string_view text) {
    std::string utf8;
    for (unsigned char b : text) {
        const char32_t c = fromCp1252(b);
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return quote(utf8);
}

bool hasHighBytes(std::string_view bytes) {
    for (unsigned char b : bytes) {
        if (b >= 0x80) return true;
    }
    return false;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && regutil::foldName(a) == regutil::foldName(b);
}

// "HKEY_LOCAL_MACHINE\x\y" or "HKLM\x\y" to "x\y"; nullopt for any other hive.
std::optional<std::string_view> pathBelowHive(std::string_view full) {
    const size_t sep = full.find('\\');
    const std::string_view hive = full.substr(0, sep);
    if (!equalsIgnoringCase(hive, kHiveName) && !equalsIgnoringCase(hive, "HKLM"))
        return std::nullopt;
    return sep == std::string_view::npos ? std::string_view() : full.substr(sep + 1);
}

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string_view trim(std::string_view s) {
    return trimRight(trimLeft(s));
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsIgnoringCase(s.substr(0, prefix.size()), prefix);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// ---- export ---------------------------------------------------------------------------

std::string escapeText(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

// Only a single NUL-terminated line can be written as "text" and read back identically.
bool plainString(const std::vector<uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
    }
    return true;
}

bool isTextType(uint32_t type) {
    return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

// Hex data wrapped the way the editors do: a line is cut once it reaches 77 columns,
// continued after "\" on the next line indented by two blanks.
void appendHex(std::string& line, std::string_view bytes) {
    static const char* hex = "0123456789abcdef";
    size_t lineLen = line.size();
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        line += hex[b >> 4];
        line += hex[b & 15];
        if (i + 1 == bytes.size()) break;
        line += ',';
        lineLen += 3;
        if (lineLen >= 77) {
            line += "\\\r\n  ";
            lineLen = 2;
        }
    }
}

void appendValue(std::string& text, const std::string& name, uint32_t type,
                 const std::vector<uint8_t>& data, bool unicode) {
    std::string line = name.empty() ? "@=" : "\"" + escapeText(name) + "\"=";
    if (type == regtype::Sz && plainString(data)) {
        line += '"';
        line += escapeText(
            std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1));
        line += '"';
    } else if (type == regtype::Dword && data.size() == 4) {
        const uint32_t v = data[0] | (data[1] << 8) | (data[2] << 16) | (uint32_t(data[3]) << 24);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", v);
        line += buf;
    } else {
        std::string bytes(data.begin(), data.end());
        if (unicode && isTextType(type)) bytes = utf16leFromCp1252(bytes);
        if (type == regtype::Binary) {
            line += "hex:";
        } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "hex(%x):", type);
            line += buf;
        }
        appendHex(line, bytes);
    }
    text += line;
    text += "\r\n";
}

uint32_t appendKey(Registry& reg, RegKey key, const std::string& fullName, bool unicode,
                   std::string& text) {
    text += "[" + fullName + "]\r\n";
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    uint32_t rc = err::Success;
    for (uint32_t i = 0; (rc = reg.enumValue(key, i, name, type, data)) == err::Success; ++i)
        appendValue(text, name, type, data, unicode);
    if (rc != err::NoMoreItems) return rc;
    text += "\r\n";
    return err::Success;
}

// The key and its subtree, depth first in enumeration order. The path is walked with a stack
// of its own, so a tree of any depth costs no call depth; one key is open per level.
uint32_t exportTree(Registry& reg, RegKey key, std::string fullName, size_t depth, bool unicode,
                    std::string& text, std::string* why) {
    struct Level {
        RegKey key;
        size_t nameEnd; // fullName up to this key
        std::vector<std::string> subkeys;
        size_t next = 0;
    };
    std::vector<Level> path;
    auto closeAll = [&] {
        for (size_t i = 1; i < path.size(); ++i)
            reg.closeKey(path[i].key);
    };
    auto enter = [&](RegKey k) -> uint32_t {
        path.push_back({k, fullName.size(), {}, 0});
        if (uint32_t rc = appendKey(reg, k, fullName, unicode, text)) return rc;
        std::string name;
        uint32_t rc = err::Success;
        for (uint32_t i = 0; (rc = reg.enumKey(k, i, name)) == err::Success; ++i)
            path.back().subkeys.push_back(name);
        return rc == err::NoMoreItems ? err::Success : rc;
    };

    auto tooDeep = [&] {
        if (why) {
            *why =
                "keys below " +
                shown(fullName.substr(0, path.empty() ? fullName.size() : path.front().nameEnd)) +
                " are nested deeper than " + std::to_string(kMaxKeyDepth) +
                " levels, which no registry file can hold";
        }
        return err::Badkey;
    };
    uint32_t rc = depth > kMaxKeyDepth ? tooDeep() : enter(key);
    while (rc == err::Success && !path.empty()) {
        Level& top = path.back();
        if (top.next == top.subkeys.size()) {
            if (path.size() > 1) reg.closeKey(top.key);
            path.pop_back();
            if (!path.empty()) fullName.resize(path.back().nameEnd);
            continue;
        }
        const std::string& sub = top.subkeys[top.next++];
        if (depth + path.size() > kMaxKeyDepth) {
            rc = tooDeep();
            break;
        }
        RegKey child = kNoKey;
        if ((rc = reg.openKey(top.key, sub, RegAccess::Read, child))) break;
        fullName += "\\" + sub;
        rc = enter(child);
    }
    closeAll();
    return rc;
}

// The key's full name with the spelling stored in the registry.
uint32_t storedName(Registry& reg, std::string_view path, std::string& fullName) {
    fullName = kHiveName;
    RegKey cur = kLocalMachine;
    std::optional<KeyGuard> guard;
    for (auto part : regutil::splitPath(path)) {
        std::string spelled(part);
        std::string name;
        for (uint32_t i = 0; reg.enumKey(cur, i, name) == err::Success; ++i) {
            if (equalsIgnoringCase(name, part)) {
                spelled = name;
                break;
            }
        }
        RegKey next = kNoKey;
        if (uint32_t rc = reg.openKey(cur, part, RegAccess::Read, next)) return rc;
        guard.reset();
        guard.emplace(reg, next);
        cur = next;
        fullName += "\\" + spelled;
    }
    return err::Success;
}

// ---- import ---------------------------------------------------------------------------

struct Operation {
    enum Kind { OpenKey, DeleteTree, SetValue, DeleteValue } kind;
    uint32_t line;
    std::string path; // below the hive, for OpenKey and DeleteTree
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct ParseFailure {
    uint32_t line;
    std::string message;
};

// A value line with its continuation lines joined, remembering where each came from.
struct LogicalLine {
    std::string text;
    std::vector<std::pair<size_t, uint32_t>> starts; // offset in text, physical line

    uint32_t lineAt(size_t offset) const {
        uint32_t line = starts.front().second;
        for (const auto& [off, ln] : starts) {
            if (off <= offset) line = ln;
        }
        return line;
    }
};

class Parser {
  public:
    Parser(std::vector<std::string_view> lines, bool unicode)
        : lines_(std::move(lines)), unicode_(unicode) {}

    std::optional<ParseFailure> run(std::vector<Operation>& ops) {
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            const std::string_view s = trim(lines_[index_]);
            if (s.empty() || s.front() == ';' || s.front() == '#') continue;
            std::optional<ParseFailure> f;
            if (s.front() == '[')
                f = keyLine(s, ops);
            else if (s.front() == '"' || s.front() == '@')
                f = valueLine(s, ops);
            else
                f = fail(lineNo(), "unrecognised line; expected [key], \"name\"=value, "
                                   "@=value or a comment");
            if (f) return f;
        }
        return std::nullopt;
    }

  private:
    uint32_t lineNo() const { return static_cast<uint32_t>(index_ + 1); }
    static ParseFailure fail(uint32_t line, std::string message) {
        return {line, std::move(message)};
    }

    std::optional<ParseFailure> keyLine(std::string_view s, std::vector<Operation>& ops) {
        const size_t close = s.rfind(']');
        if (close == std::string_view::npos) return fail(lineNo(), "missing ']' after key name");
        if (!trim(s.substr(close + 1)).empty()) return fail(lineNo(), "unexpected text after ']'");
        std::string_view name = s.substr(1, close - 1);
        const bool remove = !name.empty() && name.front() == '-';
        if (remove) name.remove_prefix(1);
        if (name.empty()) return fail(lineNo(), "empty key name");
        auto below = pathBelowHive(name);
        if (!below) {
            return fail(lineNo(), "unsupported hive " + shown(name.substr(0, name.find('\\'))) +
                                      "; only HKEY_LOCAL_MACHINE can be imported");
        }
        const auto parts = regutil::splitPath(*below);
        if (remove && parts.empty()) return fail(lineNo(), "the hive itself cannot be deleted");
        if (!remove) {
            if (parts.size() > kMaxKeyDepth) {
                return fail(lineNo(), "the key is nested " + std::to_string(parts.size()) +
                                          " levels deep; at most " + std::to_string(kMaxKeyDepth) +
                                          " are allowed");
            }
            for (size_t i = 0; i < parts.size(); ++i) {
                if (parts[i].size() > kMaxKeyNameLength) {
                    return fail(lineNo(), "the key name at level " + std::to_string(i + 1) +
                                              " is " + std::to_string(parts[i].size()) +
                                              " characters long; at most " +
                                              std::to_string(kMaxKeyNameLength) + " are allowed");
                }
            }
        }
        Operation op{remove ? Operation::DeleteTree : Operation::OpenKey,
                     lineNo(),
                     std::string(*below),
                     {},
                     0,
                     {}};
        ops.push_back(std::move(op));
        haveKey_ = !remove;
        afterDeletion_ = remove;
        return std::nullopt;
    }

    // Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
    static bool quoted(std::string_view s, size_t& pos, std::string& out) {
        for (++pos; pos < s.size(); ++pos) {
            const char c = s[pos];
            if (c == '"') {
                ++pos;
                return true;
            }
            if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
                out += s[++pos];
                continue;
            }
            out += c;
        }
        return false;
    }

    std::optional<ParseFailure> valueLine(std::string_view s, std::vector<Operation>& ops) {
        const uint32_t first = lineNo();
        if (afterDeletion_)
            return fail(first, "value line follows a key deletion; open a key first");
        if (!haveKey_) return fail(first, "value line before any [key] line");

        Operation op{Operation::SetValue, first, {}, {}, 0, {}};
        size_t pos = 0;
        if (s.front() == '@') {
            pos = 1;
        } else if (!quoted(s, pos, op.name)) {
            return fail(first, "unterminated value name");
        }
        std::string_view rest = trimLeft(s.substr(pos));
        if (rest.empty() || rest.front() != '=')
            return fail(first, "expected '=' after value name");
        rest = trim(rest.substr(1));

        if (rest == "-") {
            op.kind = Operation::DeleteValue;
        } else if (!rest.empty() && rest.front() == '"') {
            std::string text;
            size_t p = 0;
            if (!quoted(rest, p, text)) return fail(first, "unterminated string");
            const std::string_view after = trim(rest.substr(p));
            if (!after.empty() && after.front() != ';')
                return fail(first, "unexpected text after the closing '\"'");
            op.type = regtype::Sz;
            op.data.assign(text.begin(), text.end());
            op.data.push_back(0);
        } else if (startsWithIgnoringCase(rest, "dword:")) {
            const std::string_view digits = trim(rest.substr(6));
            if (digits.empty() || digits.size() > 8)
                return fail(first, "invalid dword value; expected 1 to 8 hex digits");
            uint32_t v = 0;
            for (char c : digits) {
                const int d = hexDigit(c);
                if (d < 0) return fail(first, "invalid dword value; expected 1 to 8 hex digits");
                v = (v << 4) | static_cast<uint32_t>(d);
            }
            op.type = regtype::Dword;
            for (int i = 0; i < 4; ++i)
                op.data.push_back(static_cast<uint8_t>(v >> (8 * i)));
        } else if (startsWithIgnoringCase(rest, "hex")) {
            if (auto f = hexValue(s.substr(s.size() - rest.size()), op)) return f;
        } else {
            return fail(first, "unrecognised value data; expected \"text\", dword:, hex: or -");
        }
        ops.push_back(std::move(op));
        return std::nullopt;
    }

    // hex: or hex(N): data, continued over following lines while a line ends in "\".
    std::optional<ParseFailure> hexValue(std::string_view start, Operation& op) {
        LogicalLine ll;
        ll.starts.emplace_back(0, lineNo());
        std::string_view part = trimRight(start);
        for (;;) {
            const bool more = !part.empty() && part.back() == '\\';
            if (more) part.remove_suffix(1);
            ll.text += part;
            if (!more || index_ + 1 >= lines_.size()) break;
            ++index_;
            ll.starts.emplace_back(ll.text.size(), lineNo());
            part = trim(lines_[index_]);
        }

        const std::string& t = ll.text;
        size_t pos = 3;
        if (pos < t.size() && t[pos] == '(') {
            const size_t close = t.find(')', pos);
            if (close == std::string::npos || close == pos + 1 || close - pos - 1 > 8)
                return fail(ll.lineAt(pos), "invalid hex type; expected hex(N):");
            uint32_t type = 0;
            for (size_t i = pos + 1; i < close; ++i) {
                const int d = hexDigit(t[i]);
                if (d < 0) return fail(ll.lineAt(i), "invalid hex type; expected hex(N):");
                type = (type << 4) | static_cast<uint32_t>(d);
            }
            op.type = type;
            pos = close + 1;
        } else {
            op.type = regtype::Binary;
        }
        if (pos >= t.size() || t[pos] != ':') return fail(ll.lineAt(pos), "expected ':' after hex");
        ++pos;

        std::string bytes;
        while (pos < t.size()) {
            size_t comma = t.find(',', pos);
            if (comma == std::string::npos) comma = t.size();
            const std::string_view token = trim(std::string_view(t).substr(pos, comma - pos));
            const bool lastEmpty = token.empty() && comma == t.size();
            if (!lastEmpty) {
                const int hi = token.size() == 2 ? hexDigit(token[0]) : 0;
                const int lo = token.empty() ? -1 : hexDigit(token.back());
                if (token.empty() || token.size() > 2 || hi < 0 || lo < 0) {
                    return fail(ll.lineAt(pos), "invalid hex byte " + shown(token));
                }
                bytes += static_cast<char>(hi * 16 + lo);
            }
            pos = comma + 1;
        }
        if (unicode_ && isTextType(op.type)) {
            if (bytes.size() % 2)
                return fail(ll.starts.front().second, "odd number of bytes in UTF-16 text data");
            bytes = cp1252FromUtf16le(bytes);
        }
        op.data.assign(bytes.begin(), bytes.end());
        return std::nullopt;
    }

    std::vector<std::string_view> lines_;
    bool unicode_;
    size_t index_ = 0;
    bool haveKey_ = false;
    bool afterDeletion_ = false;
};

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The file as single-byte text, whatever encoding it came in.
std::string decodeFile(std::string_view bytes) {
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
        return cp1252FromUtf16le(bytes.substr(2));
    if (bytes.size() >= 3 && uint8_t(bytes[0]) == 0xEF && uint8_t(bytes[1]) == 0xBB &&
        uint8_t(bytes[2]) == 0xBF) {
        return cp1252FromUtf8(bytes.substr(3)).value_or(std::string(bytes.substr(3)));
    }
    if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) return cp1252FromUtf16le(bytes);
    // Without a mark: UTF-8 when it decodes as such, else the single-byte code page.
    if (hasHighBytes(bytes)) {
        if (auto text = cp1252FromUtf8(bytes)) return *text;
    }
    return std::string(bytes);
}

std::string lineMessage(uint32_t line, const std::string& text) {
    return "line " + std::to_string(line) + ": " + text;
}

} // namespace

uint32_t exportRegistry(Registry& reg, const std::string& keyPath, RegFileFormat fmt,
                        std::string& out, std::string* why) {
    out.clear();
    const auto below = pathBelowHive(keyPath);
    if (!below) return err::FileNotFound;
    RegKey key = kNoKey;
    if (uint32_t rc = reg.openKey(kLocalMachine, *below, RegAccess::Read, key)) return rc;
    KeyGuard guard(reg, key);
    std::string fullName;
    if (uint32_t rc = storedName(reg, *below, fullName)) return rc;

    const bool unicode = fmt == RegFileFormat::V5;
    std::string text = unicode ? kHeader5 : kHeader4;
    text += "\r\n\r\n";
    if (uint32_t rc =
            exportTree(reg, key, fullName, regutil::splitPath(*below).size(), unicode, text, why))
        return rc;
    if (unicode) {
        out = "\xFF\xFE";
        out += utf16leFromCp1252(text);
    } else {
        out = std::move(text);
    }
    return err::Success;
}

uint32_t importRegistry(Registry& reg, std::string_view fileBytes, RegFileError& error,
                        const std::function<uint32_t(const std::vector<std::string>&)>& account) {
    error = {};
    const std::string text = decodeFile(fileBytes);
    const auto lines = splitLines(text);
    const std::string_view header = trim(lines.front());
    bool unicode = false;
    if (header == kHeader5) {
        unicode = true;
    } else if (header != kHeader4) {
        error = {1, lineMessage(1, std::string("not a registry file; expected \"") + kHeader4 +
                                       "\" or \"" + kHeader5 + "\"")};
        return err::InvalidData;
    }

    std::vector<Operation> ops;
    if (auto failure = Parser(lines, unicode).run(ops)) {
        error = {failure->line, lineMessage(failure->line, failure->message)};
        return err::InvalidData;
    }

    if (uint32_t rc = reg.beginBatch()) {
        error = {0, "the registry cannot be written (error " + std::to_string(rc) + ")"};
        return rc;
    }
    RegKey current = kNoKey;
    auto closeCurrent = [&] {
        if (current != kNoKey) reg.closeKey(current);
        current = kNoKey;
    };
    for (const Operation& op : ops) {
        uint32_t rc = err::Success;
        const char* what = "";
        switch (op.kind) {
        case Operation::OpenKey:
            closeCurrent();
            rc = reg.createKey(kLocalMachine, op.path, RegAccess::Write, current);
            what = "cannot create the key";
            break;
        case Operation::DeleteTree:
            closeCurrent();
            rc = reg.deleteTree(kLocalMachine, op.path);
            if (rc == err::FileNotFound) rc = err::Success; // already absent
            what = "cannot delete the key";
            break;
        case Operation::SetValue:
            rc = reg.setValue(current, op.name, op.type, op.data.data(),
                              static_cast<uint32_t>(op.data.size()));
            what = "cannot set the value";
            break;
        case Operation::DeleteValue:
            rc = reg.deleteValue(current, op.name);
            if (rc == err::FileNotFound) rc = err::Success;
            what = "cannot delete the value";
            break;
        }
        if (rc) {
            closeCurrent();
            reg.rollbackBatch();
            error = {op.line, lineMessage(op.line, std::string(what) + " (error " +
                                                       std::to_string(rc) + ")")};
            return rc;
        }
    }
    closeCurrent();
    if (account) {
        std::vector<std::string> keys;
        for (const Operation& op : ops) {
            if (op.kind == Operation::OpenKey || op.kind == Operation::DeleteTree)
                keys.push_back((op.kind == Operation::OpenKey ? "+ " : "- ") + op.path);
        }
        if (uint32_t rc = account(keys)) {
            reg.rollbackBatch();
            error = {0, "the history could not be written (error " + std::to_string(rc) + ")"};
            return rc;
        }
    }
    if (uint32_t rc = reg.commitBatch()) {
        error = {0, "the changes could not be saved (error " + std::to_string(rc) + ")"};
        return rc;
    }
    return err::Success;
}

} // namespace lntc
