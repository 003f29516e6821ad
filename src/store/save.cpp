#include "store/save.h"

#include "ui/message_box.h"
#include "platform/c_locale.h"
#include "store/library.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_views.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace lntc {

namespace msg {
inline constexpr uint32_t LocateQueue = 32794;
inline constexpr uint32_t TooManyQueues = 32820;
} // namespace msg

namespace {

class QueueWriter {
  public:
    QueueWriter(Library& lib, const QueueRecord& q)
        : lib_(lib), key_(std::string(kQueuesKey) + "\\" + std::string(fieldText(q.Name))) {}

    template <size_t N> void text(const char* name, const char (&field)[N]) {
        string(name, std::string(fieldText(field)));
    }
    void string(const char* name, const std::string& value) {
        WriteStringValue(lib_, key_.c_str(), name, value.c_str());
    }
    void number(const char* name, uint32_t value) {
        WriteDwordValue(lib_, key_.c_str(), name, value);
    }
    // A number outside its table has no keyword: the value is removed so that it reads back
    // as the field's default rather than as something the record never held.
    void keyword(const char* name, const KeywordTable& table, int64_t value) {
        if (auto word = numberToKeyword(table, value))
            WriteStringValue(lib_, key_.c_str(), name, std::string(*word).c_str());
        else
            DeleteRegistryEntry(lib_, nullptr, key_.c_str(), name);
    }

  private:
    Library& lib_;
    std::string key_;
};

} // namespace

int SaveQueueRecord(Library& lib, QueueRecord& q, bool isNew, WindowRef owner) {
    WritableViews views(lib);
    QueueRecord* slots = views.queues();
    const QueueRecord* lookup = slots ? slots : lib.store.queues.get();
    std::string name(fieldText(q.Name));
    int slot = lookup ? FindQueueSlot(lookup, isNew ? nullptr : name.c_str()) : kNoSlot;
    if (slot == kNoSlot) {
        if (isNew)
            ErrorId(lib, owner, msg::TooManyQueues, LNTC_MAX_QUEUES);
        else
            ErrorId(lib, owner, msg::LocateQueue, name.c_str());
        return -1;
    }

    uint32_t flags = ModelClassFlags(ModelIndexOfQueue(q));
    std::optional<WriteBatch> batch(std::in_place, lib);
    QueueWriter w(lib, q);
    w.text("Printer", q.Printer);
    w.text("Description", q.Description);
    w.text("DeviceName", q.DeviceName);
    ModelModuleName(ModelIndexOfQueue(q), q.ImageHardware, sizeof q.ImageHardware);
    w.text("ImageHardware", q.ImageHardware);
    w.keyword("PrintDest", kPrintDestWords, q.PrintDest);
    if (isRicoh(flags)) {
        w.keyword("EjectTray", kEjectTrayWords, q.EjectTray);
        w.number("EjectTraySwitch", q.EjectTraySwitch);
        w.number("EjectTrayPages", q.EjectTrayPages);
    }
    w.number("PrinterStatusTimeout", q.PrinterStatusTimeout);
    w.number("UseAlternateOrientation", q.UseAlternateOrientation);
    char overscan[64];
    {
        CLocaleScope c; // "7.5" in every locale: the value is read back that way
        std::snprintf(overscan, sizeof overscan, "%.1f", q.OverscanAmt);
    }
    w.string("OverscanAmt", overscan);
    w.number("DuplexAvailable", q.DuplexAvailable);
    w.number("DuplexPrint", q.DuplexPrint);
    if (takesPostScript(flags)) {
        w.text("Tray1/Top", q.Tray1_Top);
        w.text("Tray2/Bottom", q.Tray2_Bottom);
        w.text("Tray3/Third", q.Tray3_Third);
        w.keyword("QDDefaultTray", kTrayWords, q.QDDefaultTray);
        w.number("CenterImage", q.CenterImage);
        w.keyword("DataEncode", kDataEncodeWords, q.DataEncode);
        w.number("WaitTimeout", q.WaitTimeout);
        w.number("TCP_SocketNumber", q.TCP_SocketNumber);
        w.keyword("Connectivity", kConnectivityWords, q.Connectivity);
        w.keyword("DuplexBinding", kDuplexBindingWords, q.DuplexBinding);
    } else if (isRicohOrLargeDocument(flags)) {
        w.number("PrinterInitTimeout", q.PrinterInitTimeout);
        w.number("PaperTrays", q.PaperTrays);
        w.number("UseDisplayXform", q.UseDisplayXform);
        w.number("Rotate180", q.Rotate180);
        if (isRicoh(flags)) {
            w.keyword("QDDefaultTray", kTrayWords, q.QDDefaultTray);
            w.keyword("PSDefaultTray", kTrayWords, q.PSDefaultTray);
        } else if (isLargeDocument(flags)) {
            w.text("QDDefaultPaperSize", q.QDDefaultPaperSize);
            w.text("PSDefaultPaperSize", q.PSDefaultPaperSize);
            w.text("BestAvailPaperSizes", q.BestAvailPaperSizes);
            w.number("BestAvailPaperSizesCnt", q.BestAvailPaperSizesCnt);
        }
    }
    if (keepsPrinterAlias(flags)) w.text("PrinterAlias", q.PrinterAlias);
    batch.reset();

    q.UpdateTime = static_cast<int32_t>(lib.now());
    if (slots != nullptr) {
        std::memcpy(&slots[slot], &q, sizeof q);
        if (isNew && views.config() != nullptr) views.config()->QueueCount++;
    }
    return 0;
}

int DeleteQueueRecord(Library& lib, const char* name, WindowRef owner) {
    if (name == nullptr) name = "";
    DeleteRegistryEntry(lib, kQueuesKey, name, nullptr);
    WritableViews views(lib);
    QueueRecord* slots = views.queues();
    int slot = slots && *name ? FindQueueSlot(slots, name) : kNoSlot;
    if (slot == kNoSlot) {
        ErrorId(lib, owner, msg::LocateQueue, name);
        return -1;
    }
    std::memset(&slots[slot], 0, sizeof slots[slot]);
    if (views.config() != nullptr && views.config()->QueueCount > 0) views.config()->QueueCount--;
    return 0;
}

int SaveServerConfig(Library& lib, ServerConfig& c) {
    std::optional<WriteBatch> batch(std::in_place, lib);
    WriteDwordById(lib, vid::EnableNotes, c.EnableNotes);
    WriteDwordById(lib, vid::LogonRetries, c.LogonRetries);
    WriteDwordById(lib, vid::QueueDepth, c.QueueDepth);
    WriteDwordById(lib, vid::SuppressAnnotations, c.SuppressAnnotations);
    WriteDwordById(lib, vid::VerboseOnStartup, c.VerboseOnStartup);
    WriteDwordById(lib, vid::VerifyChecksum, c.VerifyChecksum);
    WriteDwordById(lib, vid::TimeFormat, c.TimeFormat);
    WriteDwordById(lib, vid::AutoDownload, c.AutoDownload);
    WriteDwordById(lib, vid::UseDocCharSet, c.UseDocCharSet);
    auto text = [&](uint16_t id, std::string_view value) {
        WriteStringById(lib, id, std::string(value).c_str());
    };
    text(vid::PrimaryCacheDir, fieldText(c.PrimaryCacheDir));
    text(vid::TempFilesDir, fieldText(c.TempFilesDir));
    text(vid::TimeString, fieldText(c.TimeString));
    text(vid::ConfigDir, fieldText(c.ConfigDir));
    text(vid::FontDir, fieldText(c.FontDir));
    text(vid::DefaultFont, fieldText(c.DefaultFont));
    WriteCharsetById(lib, vid::FormerCharset, c.FormerCharset);
    for (int i = 0; i < LNTC_FONT_COUNT; ++i) {
        std::string_view font = fieldText(c.Fonts[i]);
        if (font.empty()) break;
        char name[16];
        std::snprintf(name, sizeof name, "Font%d", i + 1);
        WriteStringValue(lib, kFontsKey, name, std::string(font).c_str());
    }
    batch.reset();
    c.UpdateTime = static_cast<int32_t>(lib.now());
    WritableViews views(lib);
    if (ServerConfig* shared = views.config()) {
        // The slot count and the marker belong to the shared record: queues created or
        // deleted since the working copy was taken must not be counted back.
        uint16_t queueCount = shared->QueueCount;
        std::memcpy(shared, &c, sizeof c);
        shared->QueueCount = queueCount;
        shared->Magic = LNTC_MAGIC;
    }
    return 0;
}

} // namespace lntc
