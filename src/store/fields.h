// The one description of each shared record: every field with its registry value, how the
// record and the registry hold it, its keyword table, its default and which model classes save
// it. Loading, saving, the value table and the tools' output all go by these tables.
#pragma once
#include "lntc/lntc.h"
#include "resources/ids.h"
#include "resources/value_range.h"
#include "store/models.h"
#include "store/records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace lntc {

// How the record holds a field.
enum class Cell : uint8_t { U16, I16, U32, I32, F64, Text };

// How the registry holds it.
enum class Stored : uint8_t {
    None,    // not at all: the library fills the field
    Number,  // REG_DWORD, of which the field keeps the low bits it has room for
    Word,    // REG_DWORD, of which a 32-bit field keeps only the low 16 bits
    Text,    // REG_SZ; an empty one reads as the default
    Keyword, // REG_SZ holding a word of the field's keyword table
    Charset, // REG_SZ holding a character-set keyword, compared ignoring case
    Decimal, // REG_SZ holding the number written "%.1f" in the C locale
};

// The key of a value: the queue's own, "General" or "Fonts".
enum class Subkey : uint8_t { Queue, General, Fonts };

// Which models save a queue field: bits of the catalogue's class flags, and one for the models
// without a class ("OTHER" without alias, keys outside the catalogue). A field of the general
// record is saved (Always) or not (Never).
namespace saves {
inline constexpr uint8_t Never = 0;
inline constexpr uint8_t HpLaserJet = 1, Ricoh = 2, LargeDocument = 4, GenericPostScript = 8;
inline constexpr uint8_t Unclassed = 16;
inline constexpr uint8_t Always = 31;
inline constexpr uint8_t PostScript = HpLaserJet | GenericPostScript;
inline constexpr uint8_t RicohOrLargeDocument = Ricoh | LargeDocument;
inline constexpr uint8_t NotPostScript = Ricoh | LargeDocument | Unclassed;
} // namespace saves

// What else the loader has to know.
namespace flag {
inline constexpr uint8_t FontDefault = 1; // the default follows the installed fonts
inline constexpr uint8_t OdrStep = 2;     // read by the ODR step, which runs in its place
} // namespace flag

// Where a field lies in its record.
struct Place {
    uint16_t offset;
    uint16_t size; // bytes of one element
    uint8_t count; // elements: 1, or LNTC_FONT_COUNT for the font list
    Cell cell;
};

template <typename T> constexpr Place placeOf(size_t offset) {
    using E = std::remove_all_extents_t<T>;
    constexpr bool list = std::rank_v<T> == 2;
    Cell cell = std::is_same_v<E, char>     ? Cell::Text
                : std::is_same_v<E, double> ? Cell::F64
                : std::is_signed_v<E>       ? (sizeof(E) == 2 ? Cell::I16 : Cell::I32)
                                            : (sizeof(E) == 2 ? Cell::U16 : Cell::U32);
    return Place{static_cast<uint16_t>(offset),
                 static_cast<uint16_t>(list ? sizeof(T) / std::extent_v<T> : sizeof(T)),
                 static_cast<uint8_t>(list ? std::extent_v<T> : 1), cell};
}
#define LNTC_PLACE(record, member)                                                                 \
    ::lntc::placeOf<decltype(record::member)>(offsetof(record, member))

struct Field {
    const char* name; // registry value name ("Font" for "Font1" ...), and the tools' name
    Place place;
    Stored stored;
    const KeywordTable* keywords;
    uint32_t number;  // default of a number, keyword or character set
    const char* text; // default of a text or decimal
    uint8_t savedBy;
    Subkey subkey = Subkey::Queue;
    uint16_t id = 0; // row of the value table; 0 for none
    uint8_t flags = 0;
    uint8_t startsNew = saves::Never;  // models whose new queue starts with the default
    const ValueRange* range = nullptr; // the values a dialog accepts; nullptr: any

    constexpr Field general(uint16_t valueId = 0) const { return at(Subkey::General, valueId); }
    constexpr Field fonts(uint16_t valueId = 0) const { return at(Subkey::Fonts, valueId); }
    constexpr Field at(Subkey s, uint16_t valueId) const {
        Field f = *this;
        f.subkey = s;
        f.id = valueId;
        return f;
    }
    constexpr Field newQueue(uint8_t classes) const {
        Field f = *this;
        f.startsNew = classes;
        return f;
    }
    constexpr Field within(const ValueRange& values) const {
        Field f = *this;
        f.range = &values;
        return f;
    }
    constexpr Field with(uint8_t flag) const {
        Field f = *this;
        f.flags |= flag;
        return f;
    }
};

// The ranges the dialogs hold the fields to: their field checks, their spin bars and the check
// of a record that did not come through them.
namespace limit {
inline constexpr ValueRange WaitTimeout{0, 1800};        // seconds
inline constexpr ValueRange PrinterInitTimeout{0, 3600}; // as the printer counts it
inline constexpr ValueRange PrinterStatusTimeout{0, 60}; // minutes
inline constexpr ValueRange EjectTrayPages{1, 1000};
inline constexpr ValueRange OverscanAmt{0.0, 10.0}; // per cent
inline constexpr ValueRange QueueDepth{1, 20};      // pages
inline constexpr ValueRange TimeFormat{1, 3};       // the formats listed
} // namespace limit

namespace field {
constexpr Field number(const char* name, Place p, uint32_t def, uint8_t savedBy) {
    return {name, p, Stored::Number, nullptr, def, nullptr, savedBy};
}
constexpr Field word(const char* name, Place p, uint32_t def, uint8_t savedBy) {
    return {name, p, Stored::Word, nullptr, def, nullptr, savedBy};
}
constexpr Field text(const char* name, Place p, const char* def, uint8_t savedBy) {
    return {name, p, Stored::Text, nullptr, 0, def, savedBy};
}
constexpr Field keyword(const char* name, Place p, const KeywordTable& words, uint8_t savedBy) {
    return {name,    p,      Stored::Keyword, &words, static_cast<uint32_t>(words.fallback),
            nullptr, savedBy};
}
constexpr Field charset(const char* name, Place p, uint16_t def, uint8_t savedBy) {
    return {name, p, Stored::Charset, nullptr, def, nullptr, savedBy};
}
constexpr Field decimal(const char* name, Place p, const char* def, uint8_t savedBy) {
    return {name, p, Stored::Decimal, nullptr, 0, def, savedBy};
}
constexpr Field filled(const char* name, Place p) {
    return {name, p, Stored::None, nullptr, 0, nullptr, saves::Never};
}
} // namespace field

#define LNTC_Q(member) #member, LNTC_PLACE(QueueRecord, member)
#define LNTC_C(member) #member, LNTC_PLACE(ServerConfig, member)

// The queue record, in the order LoadQueueRecord reads it; loading reads every value
// whatever the model. The fields the library fills itself come last. A new queue starts with
// the defaults marked for its class; InitNewQueueRecord sets what it takes from elsewhere.
inline constexpr Field kQueueFields[] = {
    field::text(LNTC_Q(Printer), "", saves::Always),
    field::text(LNTC_Q(Description), "", saves::Always),
    field::text(LNTC_Q(DeviceName), "", saves::Always),
    field::text(LNTC_Q(ImageHardware), "", saves::Always), // the model's module, set on save
    field::keyword(LNTC_Q(PrintDest), kPrintDestWords, saves::Always).newQueue(saves::Always),
    field::keyword(LNTC_Q(QDDefaultTray), kTrayWords, saves::PostScript | saves::Ricoh),
    field::keyword(LNTC_Q(EjectTray), kEjectTrayWords, saves::Ricoh),
    field::number(LNTC_Q(EjectTraySwitch), 1, saves::Ricoh).newQueue(saves::Always),
    field::number(LNTC_Q(EjectTrayPages), 1000, saves::Ricoh)
        .newQueue(saves::Always)
        .within(limit::EjectTrayPages),
    field::number(LNTC_Q(PrinterStatusTimeout), 0, saves::Always)
        .within(limit::PrinterStatusTimeout),
    field::number(LNTC_Q(UseAlternateOrientation), 0, saves::Always),
    field::decimal(LNTC_Q(OverscanAmt), "5.0", saves::Always)
        .newQueue(saves::Always)
        .within(limit::OverscanAmt),
    field::number(LNTC_Q(DuplexAvailable), 0, saves::Always),
    field::number(LNTC_Q(DuplexPrint), 0, saves::Always),
    field::text("Tray1/Top", LNTC_PLACE(QueueRecord, Tray1_Top), "LETTER, 1", saves::PostScript),
    field::text("Tray2/Bottom", LNTC_PLACE(QueueRecord, Tray2_Bottom), "NONE", saves::PostScript),
    field::text("Tray3/Third", LNTC_PLACE(QueueRecord, Tray3_Third), "NONE", saves::PostScript),
    field::word(LNTC_Q(CenterImage), 0, saves::PostScript),
    field::keyword(LNTC_Q(DataEncode), kDataEncodeWords, saves::PostScript),
    field::number(LNTC_Q(WaitTimeout), 300, saves::PostScript)
        .newQueue(saves::PostScript)
        .within(limit::WaitTimeout),
    field::number(LNTC_Q(TCP_SocketNumber), 0, saves::PostScript),
    field::keyword(LNTC_Q(Connectivity), kConnectivityWords, saves::PostScript)
        .newQueue(saves::PostScript),
    field::keyword(LNTC_Q(DuplexBinding), kDuplexBindingWords, saves::PostScript),
    field::number(LNTC_Q(PrinterInitTimeout), 0, saves::RicohOrLargeDocument)
        .within(limit::PrinterInitTimeout),
    field::number(LNTC_Q(PaperTrays), 3, saves::RicohOrLargeDocument)
        .newQueue(saves::NotPostScript),
    field::number(LNTC_Q(UseDisplayXform), 0, saves::RicohOrLargeDocument),
    field::number(LNTC_Q(Rotate180), 0, saves::RicohOrLargeDocument),
    field::keyword(LNTC_Q(PSDefaultTray), kTrayWords, saves::Ricoh),
    field::text(LNTC_Q(QDDefaultPaperSize), "", saves::LargeDocument),
    field::text(LNTC_Q(PSDefaultPaperSize), "", saves::LargeDocument),
    field::text(LNTC_Q(BestAvailPaperSizes), "", saves::LargeDocument),
    field::number(LNTC_Q(BestAvailPaperSizesCnt), 0, saves::LargeDocument),
    field::text(LNTC_Q(PrinterAlias), "", saves::GenericPostScript),
    field::filled(LNTC_Q(UpdateTime)),
    field::filled(LNTC_Q(Name)),
    field::filled(LNTC_Q(GlobalArea)),
};

// The general record, in the order the loader reads it. Where a dialog edits a value, its
// value-table id is the control's id.
inline constexpr Field kConfigFields[] = {
    field::number(LNTC_C(VerboseOnStartup), 0, saves::Always).general(genctl::Verbose),
    field::text(LNTC_C(DefaultODR), "DefaultODR", saves::Never).general().with(flag::OdrStep),
    field::text(LNTC_C(ConfigDir), "c:\\qdsw_local\\sd", saves::Always).general(valueid::ConfigDir),
    field::text(LNTC_C(TempFilesDir), "c:\\qdsw_local\\tmp", saves::Always)
        .general(genctl::TempFiles),
    field::text(LNTC_C(PrimaryCacheDir), "c:\\qdsw_local\\tmp", saves::Always)
        .general(genctl::PrimaryCache),
    field::text(LNTC_C(FontDir), "c:\\qdsw_local\\fonts", saves::Always).fonts(fontctl::FontDir),
    field::word(LNTC_C(InstalledKanji), 0, saves::Never).fonts(valueid::InstalledKanji),
    field::word(LNTC_C(InstalledGreek), 0, saves::Never).fonts(valueid::InstalledGreek),
    // Saved up to the first empty entry; the entries after it stay in the registry.
    field::text("Font", LNTC_PLACE(ServerConfig, Fonts), "", saves::Always)
        .fonts()
        .with(flag::FontDefault),
    field::charset(LNTC_C(FormerCharset), 2, saves::Always)
        .fonts(valueid::FormerCharset)
        .with(flag::FontDefault),
    field::text(LNTC_C(DefaultFont), "default", saves::Always)
        .fonts(fontctl::FontName)
        .with(flag::FontDefault),
    field::number(LNTC_C(UseDocCharSet), 1, saves::Always).fonts(fontctl::AlwaysDefaultCharset),
    field::number(LNTC_C(AutoDownload), 1, saves::Always).fonts(fontctl::AutoDownload),
    field::number(LNTC_C(LogonRetries), 10, saves::Always).general(valueid::LogonRetries),
    field::number(LNTC_C(QueueDepth), 5, saves::Always)
        .general(genctl::QueueDepth)
        .within(limit::QueueDepth),
    field::number(LNTC_C(VerifyChecksum), 0, saves::Always).general(genctl::VerifyChecksum),
    field::number(LNTC_C(SuppressAnnotations), 0, saves::Always)
        .general(genctl::SuppressAnnotations),
    field::number(LNTC_C(EnableNotes), 1, saves::Always).general(genctl::EnableNotes),
    field::number(LNTC_C(TimeFormat), 1, saves::Always)
        .general(genctl::TimeFormat)
        .within(limit::TimeFormat),
    field::text(LNTC_C(TimeString), "%m/%d/%y,  %I:%M:%S %p", saves::Always)
        .general(valueid::TimeString),
    field::number(LNTC_C(FormScaling), 0, saves::Never).general(valueid::FormScaling),
    field::number(LNTC_C(COLDScaleFactor), 100, saves::Never).general(valueid::COLDScaleFactor),
    field::filled(LNTC_C(Magic)),
    field::filled(LNTC_C(SystemCharset)),
    field::filled(LNTC_C(Organization)),
    field::filled(LNTC_C(Domain)),
    field::filled(LNTC_C(OdrSystemWord)),
    field::filled(LNTC_C(OdrRelease)),
    field::filled(LNTC_C(OdrGeneration)),
    field::filled(LNTC_C(QueueCount)),
    field::filled(LNTC_C(UpdateTime)),
};

#undef LNTC_Q
#undef LNTC_C

// Whether a model of these class flags is one of the classes (bits as in saves).
constexpr bool ofClass(uint8_t classes, uint32_t classFlags) {
    return (classes & (classFlags == 0 ? saves::Unclassed : classFlags)) != 0;
}
// Whether a model of these class flags saves the queue field.
constexpr bool savedFor(const Field& f, uint32_t classFlags) {
    return ofClass(f.savedBy, classFlags);
}

// The class masks above hold because no catalogue model has more than one class.
constexpr bool singleClassModels() {
    for (const auto& m : kPrinterModels)
        if ((m.classFlags & (m.classFlags - 1)) != 0 || m.classFlags >= saves::Unclassed)
            return false;
    return true;
}
static_assert(singleClassModels());

// Font defaults are worked out from the installed fonts, so those are read first.
constexpr bool installedFontsReadFirst() {
    bool kanji = false, greek = false;
    for (const Field& f : kConfigFields) {
        if (f.place.offset == offsetof(ServerConfig, InstalledKanji)) kanji = true;
        if (f.place.offset == offsetof(ServerConfig, InstalledGreek)) greek = true;
        if ((f.flags & flag::FontDefault) != 0 && !(kanji && greek)) return false;
    }
    return true;
}
static_assert(installedFontsReadFirst());

// The first field (in table order) that the models of these class flags save and whose value
// lies outside its range, or nullptr. A general record is checked with class flags 0.
const Field* FieldOutOfRange(std::span<const Field> fields, const void* record,
                             uint32_t classFlags);

const char* subkeyName(Subkey subkey);          // nullptr for the queue's own key
std::string QueueKey(const QueueRecord& queue); // "Queues\<name>"
// The value name of one element: "Font1" ... for the font list, else the field's name.
std::string valueName(const Field& f, int element = 0);
const Field* findField(std::span<const Field> fields, std::string_view name);

// A field's value in a record (the record's address, element for the font list).
int64_t numberOf(const Field& f, const void* record);
void setNumber(const Field& f, void* record, int64_t value);
double realOf(const Field& f, const void* record);
void setReal(const Field& f, void* record, double value);
std::string_view textOf(const Field& f, const void* record, int element = 0);
char* textCell(const Field& f, void* record, int element = 0);
// The field's own default into the record, every element of a list (not the one that follows
// the installed fonts).
void setDefault(const Field& f, void* record);

// The value table: the general and font values by the identifier of the control that edits
// them. A group row (a character set) is followed by its choices: number is the count of
// choices for the group and the character-set code for a choice.
struct ValueTableRow {
    uint16_t id;
    uint8_t section; // 0 General, 1 Fonts
    const char* name;
    uint16_t number;
};

constexpr size_t valueTableRows() {
    size_t n = 0;
    for (const Field& f : kConfigFields) {
        if (f.id != 0) n += 1 + (f.stored == Stored::Charset ? std::size(kCharsets) : 0);
    }
    return n;
}
inline constexpr size_t kValueTableRows = valueTableRows();
static_assert(kValueTableRows == 25);

constexpr std::array<ValueTableRow, kValueTableRows> makeValueTable() {
    std::array<ValueTableRow, kValueTableRows> rows{};
    size_t n = 0;
    for (const Field& f : kConfigFields) {
        if (f.id == 0) continue;
        const uint8_t section = f.subkey == Subkey::Fonts ? 1 : 0;
        const bool group = f.stored == Stored::Charset;
        rows[n++] = {f.id, section, f.name,
                     static_cast<uint16_t>(group ? std::size(kCharsets) : 0)};
        if (group) {
            for (const Charset& c : kCharsets)
                rows[n++] = {c.id, section, c.keyword, c.code};
        }
    }
    return rows;
}
inline constexpr std::array<ValueTableRow, kValueTableRows> ValueTable = makeValueTable();
const ValueTableRow* FindValueRow(uint16_t id);

} // namespace lntc
