// New queues: their defaults, the same-model rule, and the create/import dialogs.
#include "configure/configure.h"

#include "library/services.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/models.h"
#include "store/records.h"
#include "ui/message_box.h"

#include <cstring>

namespace lntc {

namespace {

constexpr const char* kAdministratorTitle = "Lintora Administrator";
constexpr const char* kOtherKey = "OTHER";
constexpr size_t kImportSourceMax = 40;

const char* modelKey(int model) {
    return model >= 0 && static_cast<size_t>(model) < kModelCount ? kPrinterModels[model].key : "";
}

// "NAME,   "DESCRIPTION"" as the import list shows a queue.
std::string importEntry(const Services& svc, std::string_view name, std::string_view description) {
    std::string shown = description.empty() ? svc.ui.strings().load(str::NoDescription)
                                            : "\"" + std::string(description) + "\"";
    return std::string(name) + ",   " + shown;
}

} // namespace

bool AdministratorRunning(const Services& svc) {
    TopWindows* windows = svc.platform.windows;
    return windows != nullptr && windows->existsWithTitle(kAdministratorTitle);
}

void InitNewQueueRecord(int model, const std::string& name, const std::string& description,
                        QueueRecord& q) {
    const uint32_t flags = ModelClassFlags(model);
    for (const Field& f : kQueueFields)
        if (ofClass(f.startsNew, flags)) setDefault(f, &q);
    if (model >= kFirstOtherModel) {
        setField(q.Printer, kOtherKey);
        setField(q.PrinterAlias, modelKey(model));
    } else {
        setField(q.Printer, modelKey(model));
    }
    setField(q.Name, name);
    setField(q.Description, description);
    ModelModuleName(model, q.ImageHardware, sizeof q.ImageHardware);
    // Not chosen yet: the media dialogs set them.
    q.QDDefaultTray = -1;
    q.EjectTray = -1;
    q.PSDefaultTray = -1;
    if (takesPostScript(flags)) {
        setField(q.DeviceName, "LPT1:");
        q.TCP_SocketNumber = 9100;
        q.DataEncode = model >= kFirstOtherModel ? 2 : 0;
    } else {
        setField(q.DeviceName, "\\\\.\\QSCRIPT0");
    }
}

bool SameModel(const QueueRecord& a, int model) {
    if (model >= kFirstOtherModel)
        return fieldText(a.Printer) == kOtherKey && fieldText(a.PrinterAlias) == modelKey(model);
    return fieldText(a.Printer) == modelKey(model);
}

bool HasQueueOfModel(const Services& svc, int model) {
    const QueueRecord* slots = svc.records.slots();
    if (slots == nullptr) return false;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i)
        if (slots[i].Name[0] != '\0' && SameModel(slots[i], model)) return true;
    return false;
}

NewQueueDialog::NewQueueDialog(const Services& svc, Dialog* parent, int model, QueueRecord& record)
    : HelpDialog(svc.ui, dlg::NewQueue, parent), svc_(svc), model_(model), record_(record) {}

bool NewQueueDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    setWindowText(newqueuectl::QueueName, std::string(fieldText(record_.Name)));
    if (svc_.ui.registryReadOnly()) enable(newqueuectl::Import, false);
    applyReadOnlyRegistry();
    return true;
}

void NewQueueDialog::onCommand(int id, Notify code) {
    if (id != newqueuectl::Import || code != Notify::Clicked) return;
    ImportQueueDialog import(svc_, this, model_, record_);
    if (import.doModal() == kQueueImported) endDialog(kQueueImported);
}

ImportQueueDialog::ImportQueueDialog(const Services& svc, Dialog* parent, int model,
                                     QueueRecord& record)
    : HelpDialog(svc.ui, dlg::ImportQueue, parent), svc_(svc), model_(model), record_(record),
      name_(fieldText(record.Name)), description_(fieldText(record.Description)) {}

bool ImportQueueDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    if (const QueueRecord* slots = svc_.records.slots()) {
        for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
            const QueueRecord& q = slots[i];
            if (q.Name[0] == '\0' || !SameModel(q, model_)) continue;
            addString(importctl::From,
                      importEntry(svc_, fieldText(q.Name), fieldText(q.Description)));
        }
    }
    setCurSel(importctl::From, 0);
    setWindowText(importctl::To, importEntry(svc_, name_, description_));
    applyReadOnlyRegistry();
    return true;
}

void ImportQueueDialog::onOK() {
    const int selected = getCurSel(importctl::From);
    if (selected < 0) return;
    const std::string entry = getText(importctl::From, selected);
    const std::string source = entry.substr(0, entry.find(',')).substr(0, kImportSourceMax);
    if (WarnId(svc_.ui, window(), str::ImportQueue, source.c_str(), name_.c_str()) != id::Yes)
        return;
    const QueueRecord* slots = svc_.records.slots();
    const int slot = slots != nullptr ? FindQueueSlot(slots, source.c_str()) : kNoSlot;
    if (slot == kNoSlot) {
        ErrorId(svc_.ui, window(), str::QueueNotFound, source.c_str());
        endDialog(id::Cancel);
        return;
    }
    std::memcpy(&record_, &slots[slot], sizeof record_);
    setField(record_.Name, name_);
    setField(record_.Description, description_);
    // The cross-process area is the source queue's own; the new queue gets one of its own when
    // the server next loads it, as a created queue does.
    record_.GlobalArea = 0;
    endDialog(kQueueImported);
}

} // namespace lntc
