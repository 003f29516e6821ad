#include "library/admin/document.h"

#include "platform/printable.h"
#include "store/fields.h"
#include "store/models.h"
#include "store/records.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>

namespace lntc::admin {

namespace {

using Json = Document;

constexpr const char* kParts[] = {"General", "Fonts", "ODR", "Queues", "Hosts"};
constexpr const char* kFontList = "Fonts"; // Font1 .. Font25 as one list

bool isTray(const Field& f) {
    const size_t at = f.place.offset;
    return at == offsetof(QueueRecord, Tray1_Top) || at == offsetof(QueueRecord, Tray2_Bottom) ||
           at == offsetof(QueueRecord, Tray3_Third);
}
bool isUpdateTime(const Field& f, bool queue) {
    return f.stored == Stored::None &&
           f.place.offset ==
               (queue ? offsetof(QueueRecord, UpdateTime) : offsetof(ServerConfig, UpdateTime));
}

// What a document shows but never sets: the values the library fills itself, the model's
// module (set from the model on save) and the general values no save writes.
bool showOnly(const Field& f, bool queue) {
    if (f.stored == Stored::None) return true;
    if (queue) return f.place.offset == offsetof(QueueRecord, ImageHardware);
    return f.savedBy == saves::Never;
}
// Filled values with no meaning to an administrator, or shown otherwise (ODR).
bool neverShown(const Field& f, bool queue) {
    if (f.stored != Stored::None) return false;
    if (queue) return f.place.offset == offsetof(QueueRecord, GlobalArea);
    return f.place.offset == offsetof(ServerConfig, Organization) ||
           f.place.offset == offsetof(ServerConfig, Domain);
}

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == ',';
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}
bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return upper(a) == upper(b);
}

std::optional<int64_t> decimalDigits(std::string_view s) {
    int64_t n = 0;
    if (s.empty() || s.size() > 9) return std::nullopt;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Seconds from 1970 of a broken-down time read as UTC (days from the civil calendar).
int64_t secondsAsUtc(const struct tm& t) {
    const int64_t y = t.tm_year + 1900 - (t.tm_mon < 2);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (t.tm_mon + (t.tm_mon < 2 ? 10 : -2)) + 2) / 5 + t.tm_mday - 1;
    const int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return days * 86400 + t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

std::string isoTime(int32_t seconds) {
    tzset(); // the zone of now, not of the first call
    const time_t t = seconds;
    struct tm local {};
    char text[40] = "";
    if (localtime_r(&t, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0)
        return std::to_string(seconds);
    // The offset from the two readings rather than %z, which some C libraries print as the
    // zone's name.
    const int64_t offset = (secondsAsUtc(local) - seconds) / 60;
    char zone[8];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+',
                  static_cast<int>(std::abs(offset) / 60), static_cast<int>(std::abs(offset) % 60));
    return text + std::string(zone);
}

// "LETTER, 1" as {Paper, Priority}, "NONE" as none; anything else the dialogs would not have
// written stays the text it is, so that it comes back unchanged.
Json trayJson(std::string_view text) {
    if (text == "NONE") return "none";
    const size_t comma = text.find(", ");
    if (comma != std::string_view::npos && comma > 0) {
        const std::string_view paper = text.substr(0, comma), digits = text.substr(comma + 2);
        bool plain = paper == upper(paper);
        for (char c : paper)
            plain = plain && !isSeparator(c);
        const auto priority = decimalDigits(digits);
        if (plain && priority && std::to_string(*priority) == digits)
            return Json{{"Paper", std::string(paper)}, {"Priority", *priority}};
    }
    return std::string(text);
}

const Charset* charsetOf(int64_t code) {
    for (const Charset& c : kCharsets)
        if (c.code == code) return &c;
    return nullptr;
}

Json valueJson(const Field& f, const void* record, bool queue) {
    const int64_t number = numberOf(f, record);
    if (isUpdateTime(f, queue)) return isoTime(static_cast<int32_t>(number));
    if (f.stored == Stored::None && !queue &&
        f.place.offset == offsetof(ServerConfig, SystemCharset)) {
        const Charset* c = charsetOf(number);
        return c != nullptr ? Json(c->keyword) : Json(number);
    }
    switch (f.place.cell == Cell::Text  ? Stored::Text
            : f.place.cell == Cell::F64 ? Stored::Decimal
                                        : f.stored) {
    case Stored::Text:
        return isTray(f) ? trayJson(textOf(f, record)) : Json(std::string(textOf(f, record)));
    case Stored::Decimal:
        return realOf(f, record);
    case Stored::Keyword: {
        const auto word = numberToKeyword(*f.keywords, number);
        if (!word) return "none";
        return word->empty() ? Json(number) : Json(std::string(*word));
    }
    case Stored::Charset: {
        const Charset* c = charsetOf(number);
        return c != nullptr ? Json(c->keyword) : Json(number);
    }
    case Stored::None:
    case Stored::Number:
    case Stored::Word:
        break;
    }
    return number;
}

Json fontList(const Field& f, const void* record) {
    Json list = Json::array();
    for (int e = 0; e < f.place.count; ++e) {
        const std::string_view name = textOf(f, record, e);
        if (name.empty()) break;
        list.push_back(std::string(name));
    }
    return list;
}

Json configPart(const ServerConfig& c, Subkey part, Form form) {
    Json out = Json::object();
    for (const Field& f : kConfigFields) {
        const bool filled = f.stored == Stored::None;
        if (filled ? part != Subkey::General : f.subkey != part) continue;
        if (neverShown(f, false) || (form == Form::Dump && showOnly(f, false))) continue;
        if (f.place.count > 1) {
            out[kFontList] = fontList(f, &c);
        } else if (f.place.offset == offsetof(ServerConfig, Magic)) {
            char hex[16]; // a marker reads as the constant it is compared with
            std::snprintf(hex, sizeof hex, "0x%08X", c.Magic);
            out[f.name] = hex;
        } else {
            out[f.name] = valueJson(f, &c, false);
        }
    }
    return out;
}

// Reading values: each failure says which part and field, and what is wrong.
class Reader {
  public:
    Reader(std::string where, std::string& why) : where_(std::move(where)), why_(why) {}

    bool fail(std::string_view name, const std::string& problem) {
        why_ = where_ + ": " + printable(name) + ": " + problem;
        return false;
    }
    bool failPart(const std::string& problem) {
        why_ = where_ + ": " + problem;
        return false;
    }

    // One value onto the record; show-only values are passed over.
    bool value(const Field& f, std::string_view name, const Json& v, void* record, bool queue) {
        if (showOnly(f, queue)) return true;
        if (v.is_null()) return fail(name, "no value");
        if (isTray(f)) return tray(f, name, v, record);
        switch (f.stored) {
        case Stored::Text:
            return text(f, name, v, textCell(f, record), true);
        case Stored::Number:
        case Stored::Word:
            return number(f, name, v, record);
        case Stored::Keyword:
            return keyword(f, name, v, record);
        case Stored::Charset:
            return charset(f, name, v, record);
        case Stored::Decimal:
            return decimal(f, name, v, record);
        case Stored::None:
            break;
        }
        return true;
    }

    bool fonts(const Field& f, const Json& v, void* record) {
        if (!v.is_array()) return fail(kFontList, "not a list");
        if (v.size() > f.place.count)
            return fail(kFontList, "more than " + std::to_string(f.place.count) + " fonts");
        for (size_t e = 0; e < v.size(); ++e) {
            const std::string name = std::string(kFontList) + " " + std::to_string(e + 1);
            if (v[e].is_string() && v[e].get_ref<const std::string&>().empty())
                return fail(name, "empty (an empty name ends the list: leave it out)");
            if (!text(f, name, v[e], textCell(f, record, static_cast<int>(e)), false)) return false;
        }
        for (size_t e = v.size(); e < f.place.count; ++e)
            copyField(textCell(f, record, static_cast<int>(e)), f.place.size, "");
        return true;
    }

  private:
    bool text(const Field& f, std::string_view name, const Json& v, char* cell, bool single) {
        if (!v.is_string()) return fail(name, "not a text: " + shown(v) + " (quote it)");
        const std::string& s = v.get_ref<const std::string&>();
        const size_t limit = f.place.size - 1u;
        if (s.size() > limit) return fail(name, "longer than " + std::to_string(limit) + " bytes");
        for (char c : s) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return fail(name, "holds a control character: " + quote(s));
        }
        // An empty value is stored, but reads back as the default.
        if (single && s.empty() && f.text != nullptr && *f.text != '\0')
            return fail(name, "empty, which reads back as " + quote(f.text));
        copyField(cell, f.place.size, s);
        return true;
    }

    // A tray: none, "PAPER, PRIORITY" as the dialogs write it, or {Paper, Priority}.
    bool tray(const Field& f, std::string_view name, const Json& v, void* record) {
        Json stored = v;
        if (v.is_string()) {
            const std::string& s = v.get_ref<const std::string&>();
            if (equalsIgnoreCase(s, "none")) {
                stored = "NONE";
            } else {
                std::vector<std::string_view> tokens;
                for (size_t i = 0; i < s.size();) {
                    size_t j = i;
                    while (j < s.size() && !isSeparator(s[j]))
                        ++j;
                    if (j > i) tokens.push_back(std::string_view(s).substr(i, j - i));
                    i = j + 1;
                }
                if (tokens.empty() || tokens.size() > 2 ||
                    (tokens.size() == 2 && !decimalDigits(tokens[1])))
                    return fail(name, "not a tray (PAPER, PRIORITY or none): " + quote(s));
            }
        } else if (v.is_object()) {
            std::string paper;
            std::optional<int64_t> priority;
            for (const auto& [key, member] : v.items()) {
                if (key == "Paper" && member.is_string()) {
                    paper = member.get<std::string>();
                } else if (key == "Priority") {
                    std::string problem;
                    priority = whole(member, problem);
                    if (!priority) return fail(name, "Priority: " + problem);
                    if (*priority < 0 || *priority > 65535)
                        return fail(name, "Priority: " + std::to_string(*priority) +
                                              " does not fit (0 to 65535)");
                } else {
                    return fail(name, key == "Paper" ? "Paper: not a text"
                                                     : "not a part of a tray: " + quote(key));
                }
            }
            bool plain = !paper.empty();
            for (char c : paper)
                plain = plain && !isSeparator(c);
            if (!plain) return fail(name, "Paper: not a paper name: " + quote(paper));
            stored = upper(paper) + (priority ? ", " + std::to_string(*priority) : "");
        } else {
            return fail(name, "not a tray (PAPER, PRIORITY or none): " + shown(v));
        }
        return text(f, name, stored, textCell(f, record), true);
    }

    static std::string shown(const Json& v) {
        return v.is_string() ? quote(v.get_ref<const std::string&>())
                             : printable(v.dump(-1, ' ', false, Json::error_handler_t::replace));
    }

    // A whole number, or a string of one in decimal.
    static std::optional<int64_t> whole(const Json& v, std::string& problem) {
        if (v.is_number_unsigned()) {
            const uint64_t u = v.get<uint64_t>();
            if (u <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
                return static_cast<int64_t>(u);
            problem = v.dump() + " does not fit";
            return std::nullopt;
        }
        if (v.is_number_integer()) return v.get<int64_t>();
        if (v.is_number_float()) {
            problem = "not a whole number: " + v.dump();
            return std::nullopt;
        }
        if (v.is_string()) {
            const std::string& s = v.get_ref<const std::string&>();
            int64_t n = 0;
            const char* end = s.data() + s.size();
            const auto [ptr, ec] = std::from_chars(s.data(), end, n);
            if (ec == std::errc::result_out_of_range) {
                problem = quote(s) + " does not fit";
                return std::nullopt;
            }
            if (ec == std::errc() && ptr == end && !s.empty()) return n;
        }
        problem = "not a number: " + shown(v);
        return std::nullopt;
    }

    bool number(const Field& f, std::string_view name, const Json& v, void* record) {
        std::string problem;
        const auto n = whole(v, problem);
        if (!n) return fail(name, problem);
        // A Word keeps only its low 16 bits when it is read back, whatever its cell.
        int64_t low = 0, high = 65535;
        if (f.stored != Stored::Word) {
            switch (f.place.cell) {
            case Cell::I16:
                low = -32768, high = 32767;
                break;
            case Cell::U32:
                high = 4294967295;
                break;
            case Cell::I32:
                low = std::numeric_limits<int32_t>::min();
                high = std::numeric_limits<int32_t>::max();
                break;
            default:
                break;
            }
        }
        if (*n < low || *n > high)
            return fail(name, std::to_string(*n) + " does not fit (" + std::to_string(low) +
                                  " to " + std::to_string(high) + ")");
        setNumber(f, record, *n);
        return true;
    }

    bool keyword(const Field& f, std::string_view name, const Json& v, void* record) {
        const auto words = f.keywords->words;
        std::optional<int64_t> n;
        if (v.is_string()) {
            const std::string& s = v.get_ref<const std::string&>();
            if (s == "none") n = -1;
            for (size_t i = 0; i < words.size() && !n; ++i)
                if (*words[i] != '\0' && s == words[i]) n = static_cast<int64_t>(i);
        }
        if (!n && (v.is_number() || v.is_string())) {
            std::string problem;
            n = whole(v, problem);
            if (n && *n != -1 && (*n < 0 || *n >= static_cast<int64_t>(words.size()))) n.reset();
        }
        if (!n) {
            std::string known;
            for (const char* w : words)
                if (*w != '\0') known += std::string(w) + ", ";
            return fail(name, "not one of " + known + "none: " + shown(v));
        }
        // No entry: every bit set, as the dialogs hold it (-1 in a signed cell).
        setNumber(f, record, *n == -1 ? (f.place.cell == Cell::I16 ? -1 : 0xFFFFFFFF) : *n);
        return true;
    }

    bool charset(const Field& f, std::string_view name, const Json& v, void* record) {
        const Charset* found = nullptr;
        for (const Charset& c : kCharsets) {
            if (v.is_string() && equalsIgnoreCase(v.get_ref<const std::string&>(), c.keyword))
                found = &c;
        }
        if (found == nullptr && (v.is_number() || v.is_string())) {
            std::string problem;
            if (const auto n = whole(v, problem)) found = charsetOf(*n);
        }
        if (found == nullptr) {
            std::string known;
            for (const Charset& c : kCharsets)
                known += std::string(known.empty() ? "" : ", ") + c.keyword;
            return fail(name, "not one of " + known + ": " + shown(v));
        }
        setNumber(f, record, found->code);
        return true;
    }

    // The registry holds the value with one decimal: one it cannot hold is refused, not cut.
    bool decimal(const Field& f, std::string_view name, const Json& v, void* record) {
        double d = 0;
        if (v.is_number()) {
            d = v.get<double>();
        } else if (v.is_string()) {
            const std::string& s = v.get_ref<const std::string&>();
            const char* end = s.data() + s.size();
            const auto [ptr, ec] = std::from_chars(s.data(), end, d);
            if (s.empty() || ec != std::errc() || ptr != end)
                return fail(name, "not a number: " + quote(s));
        } else {
            return fail(name, "not a number: " + shown(v));
        }
        char text[80];
        const auto [end, ec] =
            std::to_chars(text, text + sizeof text - 1, d, std::chars_format::fixed, 1);
        double back = 0;
        if (!std::isfinite(d) || ec != std::errc() || end - text > 63 ||
            std::from_chars(text, end, back).ec != std::errc())
            return fail(name, "out of range: " + shown(v));
        if (back != d) return fail(name, shown(v) + " has more than one decimal");
        setReal(f, record, d);
        return true;
    }

    std::string where_;
    std::string& why_;
};

} // namespace

Document QueueDocument(const QueueRecord& q, Form form) {
    Json out = Json::object();
    if (form == Form::Show) out["Name"] = std::string(fieldText(q.Name));
    const uint32_t flags = ModelClassFlags(ModelIndexOfQueue(q));
    for (const Field& f : kQueueFields) {
        if (neverShown(f, true) || (form == Form::Dump && showOnly(f, true))) continue;
        // What the model does not keep reads back as its default in every other process.
        if (form == Form::Dump && !savedFor(f, flags)) continue;
        if (f.place.offset == offsetof(QueueRecord, Name)) continue; // first, above
        out[f.name] = valueJson(f, &q, true);
    }
    return out;
}

Document ServerDocument(const ServerState& s, Form form) {
    Json doc = Json::object();
    doc["General"] = configPart(s.config, Subkey::General, form);
    doc["Fonts"] = configPart(s.config, Subkey::Fonts, form);
    const std::string_view domain = fieldText(s.config.Domain);
    const std::string_view organization = fieldText(s.config.Organization);
    doc["ODR"] = domain.empty() && organization.empty()
                     ? std::string()
                     : std::string(domain) + ":" + std::string(organization);
    Json queues = Json::object();
    for (const QueueRecord& q : s.queues) {
        const std::string name(fieldText(q.Name));
        if (!name.empty()) queues[name] = QueueDocument(q, form);
    }
    doc["Queues"] = std::move(queues);
    Json hosts = Json::object();
    for (const auto& [port, address] : s.hosts)
        hosts[port] = address;
    doc["Hosts"] = std::move(hosts);
    return doc;
}

bool ReadQueueValues(const Document& entry, const std::string& queueName, QueueRecord& q,
                     std::string& why) {
    Reader reader("queue " + printable(queueName), why);
    if (!entry.is_object()) return reader.failPart("not a mapping of values");
    QueueRecord work = q;
    for (const auto& [key, value] : entry.items()) {
        const Field* f = findField(kQueueFields, key);
        if (f == nullptr) return reader.fail(key, "no such field");
        if (!reader.value(*f, key, value, &work, true)) return false;
    }
    // A value the model does not keep would be lost at the next fill: only the one the queue
    // holds (as a show of it gives) is taken.
    const uint32_t flags = ModelClassFlags(ModelIndexOfQueue(work));
    for (const auto& [key, value] : entry.items()) {
        const Field& f = *findField(kQueueFields, key);
        if (!savedFor(f, flags) && valueJson(f, &work, true) != valueJson(f, &q, true))
            return reader.fail(key, "not kept for a queue of this printer model");
    }
    q = work;
    return true;
}

bool ReadConfigValues(const Document& doc, ServerConfig& c, std::string& why) {
    if (!doc.is_object()) {
        why = "the document is not a mapping of General, Fonts, ODR, Queues and Hosts";
        return false;
    }
    ServerConfig work = c;
    for (const auto& [part, values] : doc.items()) {
        Subkey subkey = Subkey::Queue;
        if (part == kParts[0]) subkey = Subkey::General;
        if (part == kParts[1]) subkey = Subkey::Fonts;
        bool known = false;
        for (const char* p : kParts)
            known = known || part == p;
        Reader reader(printable(part), why);
        if (!known)
            return reader.failPart("not a part of the configuration (General, Fonts, ODR, "
                                   "Queues, Hosts)");
        if (subkey == Subkey::Queue) continue; // the caller's
        if (!values.is_object()) return reader.failPart("not a mapping of values");
        for (const auto& [key, value] : values.items()) {
            const Field* f = nullptr;
            for (const Field& g : kConfigFields) {
                const bool list = g.place.count > 1;
                if (list ? (subkey == Subkey::Fonts && key == kFontList) : key == g.name) f = &g;
            }
            // The values the library fills are shown in General.
            const bool here = f != nullptr && (f->stored == Stored::None ? subkey == Subkey::General
                                                                         : f->subkey == subkey);
            if (!here) return reader.fail(key, "no such field");
            const bool ok = f->place.count > 1 ? reader.fonts(*f, value, &work)
                                               : reader.value(*f, key, value, &work, false);
            if (!ok) return false;
        }
    }
    c = work;
    return true;
}

} // namespace lntc::admin
