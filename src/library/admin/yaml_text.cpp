#include "library/admin/yaml_text.h"

#include "platform/printable.h"

// No build of libyaml reaches the Windows toolchain: there documents are read as JSON only.
#ifndef _WIN32
#include <yaml.h>
#endif

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

namespace lntc::admin {

namespace {

using Json = Document;

constexpr size_t kMaxBytes = 1u << 20;
constexpr int kMaxDepth = 32;
constexpr size_t kLineWidth = 80;

// ---- writing ----

bool isScalar(const Json& v) {
    return !v.is_object() && !v.is_array();
}

// Words that some YAML reader takes for a boolean or null.
bool reservedWord(std::string_view s) {
    static constexpr std::string_view words[] = {"y",     "n",  "yes", "no",  "true",
                                                 "false", "on", "off", "null"};
    std::string lower(s);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (std::string_view w : words)
        if (lower == w) return true;
    return false;
}

// Plain only what no reader can take for anything but this string: a letter, '_' or '/'
// first, then letters, digits, blanks inside and a few marks that mean nothing in YAML.
bool plainSafe(std::string_view s) {
    if (s.empty() || s.front() == ' ' || s.back() == ' ' || reservedWord(s)) return false;
    const char first = s.front();
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '_' ||
          first == '/'))
        return false;
    for (char c : s) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == ' ' || c == '_' || c == '.' || c == '/' ||
                        c == '-' || c == '+' || c == '(' || c == ')' || c == '@';
        if (!ok) return false;
    }
    return true;
}

// Length of the well-formed UTF-8 sequence at s[i], 0 when there is none; c its code point.
size_t utf8At(std::string_view s, size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        c = b;
        return 1;
    }
    return utf8Length(s, i, c);
}

// What YAML lets stand unescaped in a quoted scalar (line breaks and the BOM excluded).
bool printableAsIs(char32_t c) {
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xD7FF && c != 0x2028 && c != 0x2029) ||
           (c >= 0xE000 && c <= 0xFFFD && c != 0xFEFF) || (c >= 0x10000 && c <= 0x10FFFF);
}

std::string quotedScalar(std::string_view s) {
    bool escapes = false;
    for (size_t i = 0; i < s.size() && !escapes;) {
        char32_t c = 0;
        const size_t n = utf8At(s, i, c);
        escapes = n == 0 || !printableAsIs(c);
        i += n;
    }
    if (!escapes) {
        std::string out = "'";
        for (char c : s)
            out += c == '\'' ? std::string("''") : std::string(1, c);
        return out + "'";
    }
    // A byte that is not UTF-8 has no YAML form: it comes back as the character of its value.
    std::string out = "\"";
    char buf[16];
    for (size_t i = 0; i < s.size();) {
        char32_t c = 0;
        size_t n = utf8At(s, i, c);
        if (n == 0) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(s[i]));
            out += buf;
            n = 1;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (printableAsIs(c)) {
            out.append(s.substr(i, n));
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            std::snprintf(buf, sizeof buf, c > 0xFFFF ? "\\U%08X" : "\\u%04X",
                          static_cast<unsigned>(c));
            out += buf;
        }
        i += n;
    }
    return out + "\"";
}

std::string scalarText(const Json& v) {
    if (v.is_string()) {
        const std::string& s = v.get_ref<const std::string&>();
        return plainSafe(s) ? s : quotedScalar(s);
    }
    if (v.is_null()) return "null";
    if (v.is_number_float() && !std::isfinite(v.get<double>())) return "null";
    return v.dump();
}

std::string keyText(const std::string& key) {
    return plainSafe(key) ? key : quotedScalar(key);
}

// A mapping or list of scalars on one line, or nothing when it holds more than scalars.
std::optional<std::string> flow(const Json& v) {
    std::string out;
    for (const auto& [key, member] : v.items()) {
        if (!isScalar(member)) return std::nullopt;
        out += out.empty() ? "" : ", ";
        if (v.is_object()) out += keyText(key) + ": ";
        out += scalarText(member);
    }
    return v.is_object() ? "{" + out + "}" : "[" + out + "]";
}

void block(std::string& out, const Json& v, size_t indent);

// A value after "key:" or "-": on the same line when it is short, else the lines below.
void member(std::string& out, const std::string& lead, const Json& v, size_t indent) {
    out += lead;
    if (isScalar(v)) {
        out += " " + scalarText(v) + "\n";
        return;
    }
    if (v.empty()) {
        out += v.is_object() ? " {}\n" : " []\n";
        return;
    }
    // The parts of a document stay blocks, whatever their size.
    if (auto line = flow(v); line && indent > 0 && lead.size() + 1 + line->size() <= kLineWidth) {
        out += " " + *line + "\n";
        return;
    }
    out += "\n";
    block(out, v, indent + 2);
}

void block(std::string& out, const Json& v, size_t indent) {
    const std::string pad(indent, ' ');
    for (const auto& [key, item] : v.items()) {
        if (v.is_object()) {
            member(out, pad + keyText(key) + ":", item, indent);
        } else if (isScalar(item) || item.empty() || flow(item)) {
            member(out, pad + "-", item, indent);
        } else {
            // A nested collection starts on the dash's line.
            std::string nested;
            block(nested, item, indent + 2);
            out += pad + "- " + nested.substr(indent + 2);
        }
    }
}

// ---- reading ----

#ifndef _WIN32

// A YAML 1.2 integer or decimal as a number; anything else stays text.
std::optional<Json> plainNumber(const std::string& s) {
    size_t i = s.empty() || (s[0] != '-' && s[0] != '+') ? 0 : 1;
    const size_t digitsAt = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    const size_t intDigits = i - digitsAt;
    bool fraction = false, exponent = false;
    size_t fracDigits = 0;
    if (i < s.size() && s[i] == '.') {
        fraction = true;
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
            ++fracDigits;
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        exponent = true;
        if (++i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
        const size_t at = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        if (i == at) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    const char* begin = s.data() + (s[0] == '+' ? 1 : 0);
    const char* end = s.data() + s.size();
    if (!fraction && !exponent) {
        // A leading zero reads as octal to some readers: such a text stays a string.
        if (intDigits > 1 && s[digitsAt] == '0') return std::nullopt;
        if (s[0] == '-') {
            int64_t n = 0;
            if (std::from_chars(begin, end, n).ec == std::errc()) return Json(n);
        } else {
            uint64_t n = 0;
            if (std::from_chars(begin, end, n).ec == std::errc()) return Json(n);
        }
        return std::nullopt; // too large: left to the reader of the value to refuse
    }
    double d = 0;
    if (std::from_chars(begin, end, d).ec != std::errc() || !std::isfinite(d)) return std::nullopt;
    return Json(d);
}

Json plainScalar(const std::string& s) {
    if (s.empty() || s == "~" || s == "null" || s == "Null" || s == "NULL") return nullptr;
    if (auto n = plainNumber(s)) return *n;
    return s;
}

class YamlReader {
  public:
    YamlReader(std::string_view text, std::string& why) : why_(why) {
        yaml_parser_initialize(&parser_);
        static const unsigned char nothing = 0; // libyaml takes no null input
        const auto* input = reinterpret_cast<const unsigned char*>(text.data());
        yaml_parser_set_input_string(&parser_, input != nullptr ? input : &nothing, text.size());
    }
    ~YamlReader() { yaml_parser_delete(&parser_); }
    YamlReader(const YamlReader&) = delete;
    YamlReader& operator=(const YamlReader&) = delete;

    bool read(Json& out) {
        Event e;
        if (!next(e) || e.type() != YAML_STREAM_START_EVENT) return parserError();
        if (!next(e)) return false;
        if (e.type() == YAML_STREAM_END_EVENT) {
            out = Json::object(); // an empty text: a document that holds nothing
            return true;
        }
        if (!next(e)) return false; // past the document's start
        const yaml_mark_t at = e.mark();
        if (!node(e, 0, out)) return false;
        if (!out.is_object()) return failAt(at, "the document is not a mapping");
        if (!next(e)) return false; // the document's end
        if (!next(e)) return false;
        if (e.type() != YAML_STREAM_END_EVENT)
            return failAt(e.mark(), "a second document: a file holds one");
        return true;
    }

  private:
    class Event {
      public:
        Event() = default;
        ~Event() { clear(); }
        Event(const Event&) = delete;
        Event& operator=(const Event&) = delete;
        void clear() {
            if (held_) yaml_event_delete(&event_);
            held_ = false;
        }
        yaml_event_t* slot() {
            clear();
            return &event_;
        }
        void hold() { held_ = true; }
        yaml_event_type_t type() const { return event_.type; }
        const yaml_event_t& get() const { return event_; }
        yaml_mark_t mark() const { return event_.start_mark; }

      private:
        yaml_event_t event_{};
        bool held_ = false;
    };

    bool next(Event& e) {
        if (!yaml_parser_parse(&parser_, e.slot())) return parserError();
        e.hold();
        return true;
    }

    bool parserError() {
        const char* problem = parser_.problem != nullptr ? parser_.problem : "not valid YAML";
        std::string text = problem;
        if (parser_.context != nullptr) text += std::string(" ") + parser_.context;
        return failAt(parser_.problem_mark, text);
    }

    bool failAt(const yaml_mark_t& mark, const std::string& problem) {
        why_ = "line " + std::to_string(mark.line + 1) + ", column " +
               std::to_string(mark.column + 1) + ": " + printable(problem);
        return false;
    }

    // Anchors and aliases would let one value stand for another; tags would change types.
    bool plainNode(const Event& e, const yaml_char_t* anchor, const yaml_char_t* tag) {
        if (anchor != nullptr) return failAt(e.mark(), "anchors are not read");
        const auto* t = reinterpret_cast<const char*>(tag);
        if (t != nullptr && std::string_view(t) != "!" && std::string_view(t) != YAML_STR_TAG)
            return failAt(e.mark(), std::string("tags are not read: ") + t);
        return true;
    }

    bool node(Event& e, int depth, Json& out) {
        const yaml_event_t& ev = e.get();
        switch (ev.type) {
        case YAML_ALIAS_EVENT:
            return failAt(e.mark(), "aliases are not read");
        case YAML_SCALAR_EVENT: {
            if (!plainNode(e, ev.data.scalar.anchor, ev.data.scalar.tag)) return false;
            std::string text(reinterpret_cast<const char*>(ev.data.scalar.value),
                             ev.data.scalar.length);
            out = ev.data.scalar.tag == nullptr && ev.data.scalar.plain_implicit
                      ? plainScalar(text)
                      : Json(std::move(text));
            return true;
        }
        case YAML_SEQUENCE_START_EVENT:
        case YAML_MAPPING_START_EVENT:
            break;
        default:
            return failAt(e.mark(), "a value was expected");
        }
        const bool mapping = ev.type == YAML_MAPPING_START_EVENT;
        if (!(mapping ? plainNode(e, ev.data.mapping_start.anchor, ev.data.mapping_start.tag)
                      : plainNode(e, ev.data.sequence_start.anchor, ev.data.sequence_start.tag)))
            return false;
        if (depth >= kMaxDepth)
            return failAt(e.mark(), "nested deeper than " + std::to_string(kMaxDepth) + " levels");
        out = mapping ? Json::object() : Json::array();
        std::set<std::string> keys;
        const yaml_event_type_t end = mapping ? YAML_MAPPING_END_EVENT : YAML_SEQUENCE_END_EVENT;
        for (;;) {
            if (!next(e)) return false;
            if (e.type() == end) return true;
            std::string key;
            if (mapping) {
                const yaml_event_t& k = e.get();
                if (k.type != YAML_SCALAR_EVENT) {
                    return failAt(e.mark(), k.type == YAML_ALIAS_EVENT ? "aliases are not read"
                                                                       : "a key must be a text");
                }
                if (!plainNode(e, k.data.scalar.anchor, k.data.scalar.tag)) return false;
                key.assign(reinterpret_cast<const char*>(k.data.scalar.value),
                           k.data.scalar.length);
                // A second entry of one name would silently replace the first.
                if (!keys.insert(key).second)
                    return failAt(e.mark(), "duplicate key " + quote(key));
                if (!next(e)) return false;
            }
            Json value;
            if (!node(e, depth + 1, value)) return false;
            if (mapping)
                out[key] = std::move(value);
            else
                out.push_back(std::move(value));
        }
    }

    yaml_parser_t parser_{};
    std::string& why_;
};

#endif

// JSON: nlohmann's reader, with the same refusals as YAML's.
bool parseJson(std::string_view text, Json& out, std::string& why) {
    struct Refused {
        std::string why;
    };
    std::vector<std::set<std::string>> keys;
    auto check = [&keys](int depth, Json::parse_event_t event, Json& parsed) {
        using E = Json::parse_event_t;
        if (event == E::object_start || event == E::array_start) {
            if (depth >= kMaxDepth)
                throw Refused{"nested deeper than " + std::to_string(kMaxDepth) + " levels"};
            keys.emplace_back();
        } else if (event == E::object_end || event == E::array_end) {
            keys.pop_back();
        } else if (event == E::key && !keys.empty()) {
            const std::string& key = parsed.get_ref<const std::string&>();
            if (!keys.back().insert(key).second) throw Refused{"duplicate key " + quote(key)};
        }
        return true;
    };
    try {
        out = Json::parse(text.begin(), text.end(), check);
    } catch (const Refused& r) {
        why = r.why;
        return false;
    } catch (const Json::parse_error& e) {
        // The message names the line and column already; the prefix names nlohmann.
        std::string what = e.what();
        const size_t at = what.find("line ");
        why = printable(at == std::string::npos ? what : what.substr(at));
        return false;
    } catch (const std::exception& e) {
        why = printable(e.what());
        return false;
    }
    if (!out.is_object()) {
        why = "the document is not a mapping";
        return false;
    }
    return true;
}

} // namespace

std::string YamlText(const Document& doc) {
    std::string out;
    if (isScalar(doc) || doc.empty())
        out = (doc.is_object() ? "{}" : doc.is_array() ? "[]" : scalarText(doc)) + "\n";
    else
        block(out, doc, 0);
    return out;
}

bool ParseDocumentText(std::string_view text, Document& out, std::string& why) {
    if (text.size() > kMaxBytes) {
        why = "the document is larger than " + std::to_string(kMaxBytes) + " bytes";
        return false;
    }
    const size_t first = text.find_first_not_of(" \t\r\n");
    Json doc;
#ifdef _WIN32
    if (first == std::string_view::npos || text[first] != '{') {
        why = "this build reads documents in JSON form only (a text that begins with '{')";
        return false;
    }
    const bool ok = parseJson(text, doc, why);
#else
    const bool ok = first != std::string_view::npos && text[first] == '{'
                        ? parseJson(text, doc, why)
                        : YamlReader(text, why).read(doc);
#endif
    if (ok) out = std::move(doc);
    return ok;
}

} // namespace lntc::admin
