#include "media/ldpx_config.h"

#include "media/paper_sizes.h"
#include "store/records.h"

#include <optional>
#include <string>

namespace lntc {

LdpxConfig::LdpxConfig() : cmd{}, BestAvailPaperSizes{} {
    cmd.Psize.PaperSizes[0].PaperSizeId = kLdpxTableEnd;
    setField(cmd.Psize.PaperSizes[0].szCmd, "none");
    BestAvailPaperSizes[0] = kLdpxListEnd;
}

namespace {

constexpr std::string_view kSeparators = " =\t\n";
constexpr std::string_view kEndOfSection = "END_OF_SECTION";

// The file as the text-mode stream hands it out: a line break is "\n" whatever the file holds.
std::string textMode(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i)
        if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) out.push_back(raw[i]);
    return out;
}

// Physical reads of at most kLdpxReadLimit characters, each ending after a line break.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t limit = std::min(text_.size(), pos_ + kLdpxReadLimit);
        size_t brk = text_.find('\n', pos_);
        size_t end = (brk != std::string_view::npos && brk < limit) ? brk + 1 : limit;
        line = text_.substr(pos_, end - pos_);
        pos_ = end;
        // A read line is a C string: a NUL byte ends it.
        line = line.substr(0, line.find('\0'));
        return true;
    }

  private:
    std::string_view text_;
    size_t pos_ = 0;
};

// strtok over a view: separators before a token are skipped, empty tokens never occur.
class Tokens {
  public:
    Tokens(std::string_view text, std::string_view separators)
        : rest_(text), separators_(separators) {}
    std::optional<std::string_view> next() {
        size_t start = rest_.find_first_not_of(separators_);
        if (start == std::string_view::npos) {
            rest_ = {};
            return std::nullopt;
        }
        size_t end = rest_.find_first_of(separators_, start);
        if (end == std::string_view::npos) end = rest_.size();
        std::string_view token = rest_.substr(start, end - start);
        rest_.remove_prefix(end);
        return token;
    }

  private:
    std::string_view rest_;
    std::string_view separators_;
};

enum class Kind { Text, PsizeVar, Dpi, Number, PaperSize, BestAvail };

struct KeyRow {
    const char* name;
    uint32_t flag;
    Kind kind;
};

constexpr KeyRow kKeys[] = {
    {"psize_cmd_fixed_part", ldpxkey::PsizeFixed, Kind::Text},
    {"psize_cmd_var_part", ldpxkey::PsizeVar, Kind::PsizeVar},
    {"dpi", ldpxkey::Dpi, Kind::Dpi},
    {"dpi_cmd_fixed_part", ldpxkey::DpiFixed, Kind::Text},
    {"dpi_cmd_var_part_for_200", ldpxkey::DpiVar200, Kind::Text},
    {"dpi_cmd_var_part_for_400", ldpxkey::DpiVar400, Kind::Text},
    {"max_copy", ldpxkey::MaxCopy, Kind::Number},
    {"copy_cmd_fixed_part", ldpxkey::CopyFixed, Kind::Text},
    {"copy_cmd_var_part_for_1", ldpxkey::CopyVar1, Kind::Text},
    {"max_trays", ldpxkey::MaxTrays, Kind::Number},
    {"QDDefaultPaperSize", ldpxkey::QDDefault, Kind::PaperSize},
    {"PSDefaultPaperSize", ldpxkey::PSDefault, Kind::PaperSize},
    {"BestAvailPaperSizes", ldpxkey::BestAvail, Kind::BestAvail},
    {"PlotModeOnly", ldpxkey::PlotModeOnly, Kind::Number},
};

const KeyRow* findKey(std::string_view token) {
    for (const KeyRow& row : kKeys)
        if (equalsIgnoreCase(token, row.name)) return &row;
    return nullptr;
}

// Copies a value into its field; a value that does not fit is cut and counts as a fault, so
// that a command part is never silently shortened.
template <size_t N> bool storeText(char (&dest)[N], std::string_view value) {
    setField(dest, value);
    return value.size() < N;
}

struct StoreResult {
    bool ok = true;
    bool sectionEnded = false; // the table read ran into the end of the section
};

void closeTable(CmdInfo& cmd, size_t n) {
    LdpxPaperEntry& entry = cmd.Psize.PaperSizes[n];
    entry.PaperSizeId = kLdpxTableEnd;
    setField(entry.szCmd, "none");
}

StoreResult readPaperTable(LineReader& in, bool tableForm, CmdInfo& cmd) {
    StoreResult result;
    std::string_view line;
    bool header = false;
    while (in.next(line)) {
        std::optional<std::string_view> first = Tokens(line, kSeparators).next();
        if (!first) continue;
        if (startsWithIgnoreCase(*first, "paper_size")) {
            header = true;
            break;
        }
        // Looking for the header must not run into the next model's section.
        if (startsWithIgnoreCase(*first, kEndOfSection)) {
            result.sectionEnded = true;
            break;
        }
    }
    closeTable(cmd, 0);
    if (!header) {
        result.ok = false;
        return result;
    }

    size_t n = 0;
    bool endMark = false, fault = false;
    while (!endMark && !fault && in.next(line)) {
        Tokens tokens(line, kSeparators);
        std::optional<std::string_view> first = tokens.next();
        if (!first) continue;
        uint16_t id = PaperSizeNameToId(*first);
        if (id != paper::Unknown) {
            std::string_view command = "none";
            if (tableForm) {
                tokens.next();
                tokens.next();
                std::optional<std::string_view> third = tokens.next();
                if (!third) {
                    fault = true;
                    break;
                }
                command = *third;
            }
            // Rows beyond the table's room are read (so the section goes on after the end
            // mark) but not kept; the table stays closed after the rows that fit.
            if (n + 1 >= kLdpxTableEntries) {
                result.ok = false;
                continue;
            }
            LdpxPaperEntry& entry = cmd.Psize.PaperSizes[n];
            entry.PaperSizeId = id;
            if (!storeText(entry.szCmd, command)) result.ok = false;
            closeTable(cmd, ++n);
        } else if (equalsIgnoreCase(*first, "EndOfPsize")) {
            closeTable(cmd, n);
            endMark = true;
        } else {
            if (startsWithIgnoreCase(*first, kEndOfSection)) result.sectionEnded = true;
            fault = true;
        }
    }
    if (fault || !endMark || n == 0) result.ok = false;
    return result;
}

bool storeDpi(std::string_view value, CmdInfo& cmd) {
    Tokens pieces(value, "/");
    int16_t bits = 0;
    bool any = false;
    while (std::optional<std::string_view> piece = pieces.next()) {
        if (*piece == "200")
            bits |= dpi::Dpi200;
        else if (*piece == "300")
            bits |= dpi::Dpi300;
        else if (*piece == "400")
            bits |= dpi::Dpi400;
        else
            return false;
        any = true;
    }
    // A value of slashes alone names no resolution at all.
    if (!any) return false;
    cmd.Dpi.sDpi = bits;
    return true;
}

bool storeBestAvail(std::string_view value, LdpxConfig& config) {
    Tokens pieces(value, ",");
    size_t n = 0;
    bool ok = true;
    while (std::optional<std::string_view> piece = pieces.next()) {
        uint16_t id = PaperSizeNameToId(*piece);
        if (id == paper::Unknown || n + 1 >= kLdpxBestAvailEntries) {
            ok = false;
            break;
        }
        config.BestAvailPaperSizes[n++] = id;
    }
    config.BestAvailPaperSizes[n] = kLdpxListEnd;
    return ok;
}

StoreResult storeValue(const KeyRow& row, std::string_view value, LineReader& in,
                       LdpxConfig& config) {
    CmdInfo& cmd = config.cmd;
    StoreResult result;
    switch (row.kind) {
    case Kind::Text:
        switch (row.flag) {
        case ldpxkey::PsizeFixed:
            result.ok = storeText(cmd.Psize.szFixedPart, value);
            break;
        case ldpxkey::DpiFixed:
            result.ok = storeText(cmd.Dpi.szFixedPart, value);
            break;
        case ldpxkey::DpiVar200:
            result.ok = storeText(cmd.Dpi.szVarPartFor200, value);
            break;
        case ldpxkey::DpiVar400:
            result.ok = storeText(cmd.Dpi.szVarPartFor400, value);
            break;
        case ldpxkey::CopyFixed:
            result.ok = storeText(cmd.CopyCount.szFixedPart, value);
            break;
        case ldpxkey::CopyVar1:
            result.ok = storeText(cmd.CopyCount.szVarPartFor1, value);
            break;
        }
        break;
    case Kind::PsizeVar: {
        bool tableForm = startsWithIgnoreCase(value, "table");
        bool fits = storeText(cmd.Psize.szVarPart, tableForm ? std::string_view("table") : value);
        result = readPaperTable(in, tableForm, cmd);
        if (!fits) result.ok = false;
        break;
    }
    case Kind::Dpi:
        result.ok = storeDpi(value, cmd);
        break;
    case Kind::Number: {
        int32_t number = decimalValue(value);
        if (row.flag == ldpxkey::MaxCopy)
            cmd.CopyCount.nMaxCopy = number;
        else if (row.flag == ldpxkey::MaxTrays)
            config.max_trays = number;
        else
            config.plot_mode_only = number;
        break;
    }
    case Kind::PaperSize: {
        uint16_t id = PaperSizeNameToId(value);
        if (id == paper::Unknown) id = paper::Letter;
        (row.flag == ldpxkey::QDDefault ? config.QDDefaultPaperSize : config.PSDefaultPaperSize) =
            id;
        break;
    }
    case Kind::BestAvail:
        result.ok = storeBestAvail(value, config);
        break;
    }
    return result;
}

void applyDefaults(uint32_t seen, LdpxConfig& config, bool& error) {
    for (const KeyRow& row : kKeys) {
        if (seen & row.flag) continue;
        switch (row.flag) {
        case ldpxkey::MaxTrays:
            config.max_trays = 1;
            break;
        case ldpxkey::QDDefault:
            config.QDDefaultPaperSize = paper::Letter;
            break;
        case ldpxkey::PSDefault:
            config.PSDefaultPaperSize = paper::Letter;
            break;
        case ldpxkey::PlotModeOnly:
            config.plot_mode_only = 1;
            break;
        case ldpxkey::BestAvail:
            config.BestAvailPaperSizes[0] = paper::Letter;
            config.BestAvailPaperSizes[1] = paper::B;
            config.BestAvailPaperSizes[2] = paper::C;
            config.BestAvailPaperSizes[3] = kLdpxListEnd;
            break;
        default:
            error = true;
            break;
        }
    }
}

} // namespace

uint32_t ParseLdpxConfig(std::string_view fileText, std::string_view modelKey, LdpxConfig& config) {
    const std::string text = textMode(fileText);
    LineReader in(text);
    const std::string header = "[" + std::string(modelKey) + "]";
    std::string_view line;
    bool inSection = false;
    while (!inSection && in.next(line))
        inSection = startsWithIgnoreCase(line, header);
    if (!inSection) return kLdpxFailed;

    uint32_t seen = 0;
    bool error = false;
    while (in.next(line)) {
        Tokens tokens(line, kSeparators);
        std::optional<std::string_view> first = tokens.next();
        if (!first) continue;
        if (startsWithIgnoreCase(*first, kEndOfSection)) break;
        const KeyRow* row = findKey(*first);
        std::optional<std::string_view> value = row ? tokens.next() : std::nullopt;
        if (!value) {
            error = true;
            continue;
        }
        StoreResult stored = storeValue(*row, *value, in, config);
        if (!stored.ok) error = true;
        // A key that was there counts as given even when its value was faulty: the fault is
        // reported, and the default does not paper over what the value did store.
        seen |= row->flag;
        if (stored.sectionEnded) break;
    }
    applyDefaults(seen, config, error);
    return error ? kLdpxFailed : 0;
}

uint32_t GetLdpxPaperSizes(const LdpxConfig* config, uint16_t odrRelease, uint16_t& count,
                           uint16_t (&ids)[kLdpxTableEntries]) {
    count = 0;
    if (config == nullptr) return 0;
    for (const LdpxPaperEntry& entry : config->cmd.Psize.PaperSizes) {
        if (entry.PaperSizeId == kLdpxTableEnd) break;
        // Releases before 3.1.0 cannot print Executive paper.
        if (odrRelease < 310 &&
            (entry.PaperSizeId == paper::Executive || entry.PaperSizeId == paper::ExecutiveL))
            continue;
        ids[count++] = entry.PaperSizeId;
    }
    return 0;
}

uint32_t GetLdpxBAPaperSizes(const LdpxConfig* config, uint16_t& count,
                             uint32_t (&ids)[kLdpxBestAvailEntries]) {
    count = 0;
    if (config == nullptr) return 0;
    for (uint32_t id : config->BestAvailPaperSizes) {
        if (id == kLdpxListEnd) break;
        ids[count++] = id;
    }
    return 0;
}

uint16_t GetLdpxQDDefaultPaperSize(const LdpxConfig* config) {
    return config ? static_cast<uint16_t>(config->QDDefaultPaperSize) : paper::Unknown;
}

uint16_t GetLdpxPSDefaultPaperSize(const LdpxConfig* config) {
    return config ? static_cast<uint16_t>(config->PSDefaultPaperSize) : paper::Unknown;
}

} // namespace lntc
