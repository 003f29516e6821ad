// The main dialog: start-up, the ODR name check and queue retrieval, the two queue lists,
// Configure and Delete, the printer model box, and leaving with OK or Cancel.
#include "configure/main_dialog.h"

#include "configure/queue_rules.h"
#include "connectivity/hosts_file.h"
#include "library/services.h"
#include "logo/logo.h"
#include "platform/errors.h"
#include "platform/printable.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_records.h"
#include "ui/list_rules.h"
#include "ui/message_box.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace lntc {

namespace {

constexpr int kOdrNameLimit = 41;
constexpr int kDescriptionLimit = 127;
constexpr int kModelTextLimit = 128;
// What the name check reads of the box, and the longest part the records hold.
constexpr size_t kOdrNameRead = 60;
constexpr size_t kOdrPartLimit = sizeof(ServerConfig{}.Domain) - 1;
constexpr int kListedModels = kFirstOtherModel; // rows 1 to 13 and the line for the others

std::string firstLine(std::string text, size_t limit) {
    size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos) text.resize(end);
    if (text.size() > limit) text.resize(limit);
    return text;
}

// The ODR software's product type decides whether this PC also runs the ODR.
bool readCombinedServer(const Services& svc) {
    Registry& reg = *svc.platform.registry;
    RegKey key = kNoKey;
    if (reg.openKey(kLocalMachine, kOdrRootPath, RegAccess::Read, key) != 0) return false;
    char buffer[256] = "PrintServer";
    uint32_t type = 0;
    uint32_t size = sizeof buffer - 1;
    reg.queryValue(key, "ProductType", &type, buffer, &size);
    reg.closeKey(key);
    buffer[sizeof buffer - 1] = '\0';
    return std::strcmp(buffer, "PrintServer") != 0;
}

// The fields that the name parts and the ODR's system defaults fill.
void copyOdrFields(const ServerConfig& from, ServerConfig& to) {
    std::memcpy(to.Organization, from.Organization, sizeof to.Organization);
    std::memcpy(to.Domain, from.Domain, sizeof to.Domain);
    std::memcpy(to.DefaultODR, from.DefaultODR, sizeof to.DefaultODR);
    to.OdrSystemWord = from.OdrSystemWord;
    to.OdrRelease = from.OdrRelease;
    to.OdrGeneration = from.OdrGeneration;
    to.SystemCharset = from.SystemCharset;
}

// The slot that a queue of the ODR name went into before such names were refused: the record
// cut the name to its Name, and a backslash made the key one below another.
std::string storedQueueName(std::string_view odrName) {
    std::string_view cut = odrName.substr(0, sizeof(QueueRecord{}.Name) - 1);
    return std::string(cut.substr(0, cut.find('\\')));
}

// Why a queue's save or deletion changed nothing; a name that already has a slot was logged.
void showSaveFailure(UiContext& ui, WindowRef owner, const SaveStatus& status,
                     const std::string& name) {
    switch (status.kind) {
    case SaveStatus::NoFreeSlot:
        ErrorId(ui, owner, str::TooManyQueues, LNTC_MAX_QUEUES);
        break;
    case SaveStatus::QueueNotFound:
        ErrorId(ui, owner, str::QueueNotFound, name.c_str());
        break;
    case SaveStatus::RegistryRefused:
    case SaveStatus::NotWritable:
        ShowLastSystemError(ui, owner, status.code);
        break;
    case SaveStatus::Done:
    case SaveStatus::AlreadyHasSlot:
        break;
    }
}

} // namespace

MainConfigDialog::MainConfigDialog(const Services& svc, Dialog* parent, uint32_t initResult)
    : HelpDialog(svc.ui, dlg::Main, parent), svc_(svc) {
    if (const ServerConfig* shared = svc.records.config()) {
        odrName_ = std::string(fieldText(shared->Domain)) + ":" +
                   std::string(fieldText(shared->Organization));
        working_ = *shared;
    }
    if (odrName_ == ":") odrName_.clear();
    odrNameValid_ = initResult == 0 ? 1 : 0;
    combined_ = readCombinedServer(svc);
}

void MainConfigDialog::doDataExchange(DataExchange& dx) {
    ddxText(dx, mainctl::OdrName, odrName_);
    ddvMaxChars(dx, odrName_, kOdrNameLimit);
    ddxLBString(dx, mainctl::ToConfigure, toConfigureSel_);
    ddxLBString(dx, mainctl::Current, currentSel_);
    ddxCBString(dx, mainctl::Model, modelText_);
    ddvMaxChars(dx, modelText_, kModelTextLimit);
    ddxText(dx, mainctl::Description, description_);
    ddvMaxChars(dx, description_, kDescriptionLimit);
}

bool MainConfigDialog::onInitDialog() {
    // The focus moves below are the dialog's own: they must not start a name check.
    validating_ = true;
    HelpDialog::onInitDialog();
    StringLookup& s = svc_.ui.strings();
    if (combined_) {
        setWindowText(mainctl::Note, s.load(str::NoteCombined));
        enable(mainctl::OdrNameLabel, false);
        enable(mainctl::OdrName, false);
    } else {
        setWindowText(mainctl::Note, s.load(str::NoteStandalone));
    }
    enable(mainctl::Configure, false);
    enable(mainctl::Delete, false);
    if (odrName_.empty()) {
        if (combined_) {
            moveFocus(mainctl::ToConfigure);
            ErrorId(svc_.ui, window(), str::OdrNameNotStored);
        } else {
            moveFocus(mainctl::OdrName);
        }
    } else if (odrNameValid_ == 0) {
        MessageBoxId(svc_.ui, window(), str::DefaultOdrNameCaption, mb::Ok | mb::IconExclamation,
                     str::InvalidOdrName);
        moveFocus(combined_ ? mainctl::ToConfigure : mainctl::OdrName);
    } else {
        moveFocus(mainctl::Current);
        odrNameValid_ = RetrieveOdrQueues();
    }
    FillModelList(kNoModel);
    setWindowText(ctl::Cancel, s.load(str::CancelCaption));
    if (svc_.ui.registryReadOnly()) {
        for (int id : {mainctl::OdrNameLabel, mainctl::OdrName, mainctl::ToConfigureLabel,
                       mainctl::ToConfigure, mainctl::ModelLabel, mainctl::Model,
                       mainctl::DescriptionLabel, mainctl::Description, ctl::Ok})
            enable(id, false);
        setDefaultButton(ctl::Cancel);
    }
    validating_ = false;
    return false;
}

void MainConfigDialog::moveFocus(int id) {
    bool was = validating_;
    validating_ = true;
    setFocus(id);
    validating_ = was;
}

void MainConfigDialog::onKillFocus(int id) {
    lostFocus_ = id;
}

void MainConfigDialog::onSetFocus(int id) {
    // A box or sub-dialog handing the focus back is no move at all.
    bool returning = id == lostFocus_;
    lostFocus_ = 0;
    if (returning) return;
    if (id == mainctl::OdrName) {
        // Also when the dialog moves the focus here itself: no queue stays selected beside a
        // name that is being edited. A check that runs keeps its guard.
        bool wasValidating = validating_;
        FillModelList(kNoModel);
        ClearQueueSelection(false);
        validating_ = wasValidating;
        return;
    }
    // The dialog's own moves check nothing, and while a check runs the check keeps the lists.
    if (validating_) return;
    if (id != mainctl::ToConfigure && id != mainctl::Current && id != mainctl::Model &&
        id != mainctl::Description)
        return;
    if (ValidateOdrName() == 0) ClearQueueSelection(true);
}

void MainConfigDialog::ClearQueueSelection(bool empty) {
    if (empty) {
        resetContent(mainctl::ToConfigure);
        resetContent(mainctl::Current);
    } else {
        setCurSel(mainctl::ToConfigure, -1);
        setCurSel(mainctl::Current, -1);
    }
    setCurSel(mainctl::Model, -1);
    setWindowText(mainctl::Description, "");
    enable(mainctl::Configure, false);
    enable(mainctl::Delete, false);
    setDefaultButton(ctl::Ok);
    validating_ = false;
}

void MainConfigDialog::focusHome() {
    moveFocus(combined_ ? mainctl::Current : mainctl::OdrName);
}

bool MainConfigDialog::odrNameFits(const std::string& name) {
    size_t colon = name.find(':');
    size_t end = name.find(':', colon + 1);
    std::string domain = name.substr(0, colon);
    std::string organization =
        name.substr(colon + 1, end == std::string::npos ? std::string::npos : end - colon - 1);
    return !domain.empty() && !organization.empty() && domain.size() <= kOdrPartLimit &&
           organization.size() <= kOdrPartLimit;
}

int MainConfigDialog::ValidateOdrName() {
    validating_ = true;
    std::string text = firstLine(windowText(mainctl::OdrName), kOdrNameRead);
    if (text.empty()) {
        if (combined_) {
            moveFocus(mainctl::ToConfigure);
            ErrorId(svc_.ui, window(), str::OdrNameNotStored);
        } else {
            moveFocus(mainctl::OdrName);
            ErrorId(svc_.ui, window(), str::EnterOdrName);
        }
        return 0;
    }
    if (text.find(':') == std::string::npos) {
        text += ":Quendal";
        setWindowText(mainctl::OdrName, text);
    }
    // Parts the records cannot hold would be cut or lost: refuse before anything is asked.
    if (!odrNameFits(text)) {
        moveFocus(combined_ ? mainctl::ToConfigure : mainctl::OdrName);
        ErrorId(svc_.ui, window(), str::OdrNameParts, text.c_str());
        return 0;
    }
    bool changed = text != odrName_;
    if (changed && AdministratorRunning(svc_)) {
        ErrorId(svc_.ui, window(), str::AdminOdrName);
        setWindowText(mainctl::OdrName, odrName_);
        validating_ = false;
        return 1;
    }
    int answer = id::Cancel;
    if (!changed && odrNameValid_ == 0)
        answer = MessageBoxId(svc_.ui, window(), str::DefaultOdrNameCaption, mb::RetryQuestion,
                              str::InvalidOdrName);
    if (changed || answer == id::Retry) {
        odrName_ = text;
        odrNameValid_ = RetrieveOdrQueues();
        setCurSel(mainctl::Model, -1);
        setWindowText(mainctl::Description, "");
        enable(mainctl::Configure, false);
        enable(mainctl::Delete, false);
    }
    validating_ = false;
    if (odrNameValid_ == 1) {
        const size_t colon = text.find(':');
        const size_t end = text.find(':', colon + 1);
        SharedRecords& records = svc_.records;
        if (records.applyOdrName(text.substr(0, colon),
                                 text.substr(colon + 1, end == std::string::npos
                                                            ? std::string::npos
                                                            : end - colon - 1))) {
            // OK copies the working copy over the shared record: it must not bring back the
            // name and defaults of the previous ODR.
            copyOdrFields(*records.config(), working_);
        }
    }
    return odrNameValid_;
}

std::string MainConfigDialog::proposedAddress(const std::string& hostName) {
    std::string address;
    if (LookupHostsName(svc_, hostName, address)) return address;
    SystemServices* services = svc_.platform.services;
    if (services != nullptr && services->resolveHost(hostName, address) == 0) return address;
    return "0.0.0.0";
}

int MainConfigDialog::RetrieveOdrQueues() {
    // The boxes below move the focus; those moves must not start another check.
    bool wasValidating = validating_;
    validating_ = true;
    resetContent(mainctl::ToConfigure);
    int remembered = focusedControl();
    if (remembered == 0) remembered = mainctl::OdrName;
    std::string address, hostName;
    std::vector<std::string> names;
    for (;;) {
        uint32_t rc = 0;
        names.clear();
        {
            WaitCursor cursor(svc_.ui.host());
            WaitDialog wait(svc_.ui, str::WaitForQueues, this);
            rc = FetchOdrQueueNames(svc_, odrName_, address, names);
        }
        if (rc == 0) break;
        if (rc == kRlkNoAnswer || !address.empty()) {
            if (hostName.empty()) {
                hostName = MakeRlkServerHostName(odrName_);
                address = proposedAddress(hostName);
            }
            OdrAddressDialog ask(svc_, this, odrName_, address);
            if (ask.doModal() != id::Ok) {
                validating_ = wasValidating;
                return 0;
            }
            address = ask.address();
            continue;
        }
        focusHome();
        if (MessageBoxId(svc_.ui, window(), str::DefaultOdrNameCaption, mb::RetryQuestion,
                         str::InvalidOdrName) != id::Retry) {
            validating_ = wasValidating;
            return 0;
        }
    }
    // Names that the registry or the record cannot hold are not offered: they are logged for
    // the administrator to fix in the ODR's directory.
    std::vector<std::string> offered, refused;
    for (std::string& name : names) {
        if (QueueNameUsable(name)) {
            offered.push_back(std::move(name));
            continue;
        }
        if (refusedLogged_.insert(name).second) {
            const std::string format = svc_.ui.strings().load(str::LogQueueNameRefused);
            svc_.ui.logError(
                0, 0, formatMessage(format.c_str(), quote(name).c_str(), quote(odrName_).c_str()));
        }
        refused.push_back(std::move(name));
    }
    addStrings(mainctl::ToConfigure, std::move(offered));
    if (!address.empty()) UpdateHostsFile(svc_, window(), address, hostName);
    moveFocus(remembered);
    if (getCount(mainctl::ToConfigure) == 0) {
        moveFocus(combined_ ? mainctl::ToConfigure : mainctl::OdrName);
        ErrorId(svc_.ui, window(), str::NoPrinters);
        validating_ = wasValidating;
        return 0;
    }
    resetContent(mainctl::Current);
    std::vector<std::string> configured;
    if (const QueueRecord* slots = svc_.records.slots()) {
        for (int i = 0; i < LNTC_MAX_QUEUES; ++i)
            if (slots[i].Name[0] != '\0') configured.emplace_back(fieldText(slots[i].Name));
    }
    for (const std::string& name : configured) {
        int at = findStringExact(mainctl::ToConfigure, -1, name);
        if (at >= 0) {
            deleteString(mainctl::ToConfigure, at);
            addString(mainctl::Current, name);
        } else if (std::any_of(refused.begin(), refused.end(), [&](const std::string& r) {
                       return compareNoCase(storedQueueName(r), name) == 0;
                   })) {
            // The ODR still lists the queue, under a name refused above: deleting the slot
            // would take the stored configuration with it. It stays, in neither list.
        } else if (WarnId(svc_.ui, window(), str::DeleteUnlistedQueue, name.c_str(),
                          odrName_.c_str()) == id::Yes) {
            deleteRecord(name);
        }
    }
    validating_ = wasValidating;
    return 1;
}

const QueueRecord* MainConfigDialog::findQueue(const std::string& name, bool tell) {
    const QueueRecord* slots = svc_.records.slots();
    if (slots != nullptr && name.size() < sizeof slots[0].Name) {
        for (int i = 0; i < LNTC_MAX_QUEUES; ++i)
            if (slots[i].Name[0] != '\0' && fieldText(slots[i].Name) == name) return &slots[i];
    }
    if (tell) ErrorId(svc_.ui, window(), str::QueueNotFound, name.c_str());
    return nullptr;
}

void MainConfigDialog::toConfigureSelected() {
    setCurSel(mainctl::Current, -1);
    FillModelList(kNoModel);
    setCurSel(mainctl::Model, -1);
    setWindowText(mainctl::Description, "");
    enable(mainctl::Configure, !svc_.ui.registryReadOnly());
    if (!svc_.ui.registryReadOnly()) setDefaultButton(mainctl::Configure);
    enable(mainctl::Delete, false);
}

void MainConfigDialog::currentSelected() {
    setCurSel(mainctl::ToConfigure, -1);
    int sel = getCurSel(mainctl::Current);
    if (sel < 0) return;
    std::string name = getText(mainctl::Current, sel);
    const QueueRecord* q = findQueue(name, true);
    if (q == nullptr) return;
    int model = ModelIndexOfQueue(*q);
    FillModelList(model);
    setCurSel(mainctl::Model, FindModelListIndex(model));
    setWindowText(mainctl::Description, std::string(fieldText(q->Description)));
    enable(mainctl::Delete, !svc_.ui.registryReadOnly());
    enable(mainctl::Configure, true);
    setDefaultButton(mainctl::Configure);
}

void MainConfigDialog::onCommand(int id, Notify code) {
    switch (id) {
    case mainctl::ToConfigure:
        if (code == Notify::SelChange || code == Notify::DoubleClicked) toConfigureSelected();
        if (code == Notify::DoubleClicked && isEnabled(mainctl::Configure)) configure();
        break;
    case mainctl::Current:
        if (code == Notify::SelChange || code == Notify::DoubleClicked) currentSelected();
        if (code == Notify::DoubleClicked && isEnabled(mainctl::Configure)) configure();
        break;
    case mainctl::Configure:
        if (code == Notify::Clicked) configure();
        break;
    case mainctl::Delete:
        if (code == Notify::Clicked) deleteQueue();
        break;
    case mainctl::Fonts:
    case mainctl::Options:
        if (code == Notify::Clicked) runSubDialog(id == mainctl::Fonts);
        break;
    default:
        HelpDialog::onCommand(id, code);
    }
}

void MainConfigDialog::markClose() {
    setWindowText(ctl::Cancel, svc_.ui.strings().load(str::CloseCaption));
}

bool MainConfigDialog::captionIsClose() {
    return windowText(ctl::Cancel) == svc_.ui.strings().load(str::CloseCaption);
}

void MainConfigDialog::runSubDialog(bool fonts) {
    int code = fonts ? RunFontsDialog(svc_, this, working_)
                     : RunGeneralOptionsDialog(svc_, this, working_);
    if (code == id::Ok) markClose();
    moveFocus(ctl::Ok);
    setDefaultButton(ctl::Ok);
}

// ---- Printer models ------------------------------------------------------------------------

void MainConfigDialog::FillModelList(int model) {
    resetContent(mainctl::Model);
    for (int row = 1; row < kFirstOtherModel; ++row)
        if (ModelInstalled(svc_, row))
            addString(mainctl::Model, ModelDisplayName(svc_.ui.strings(), row));
    std::string other = ModelDisplayName(svc_.ui.strings(), 0);
    if (model != kNoModel && model >= kFirstOtherModel)
        other += " - " + ModelDisplayName(svc_.ui.strings(), model);
    insertString(mainctl::Model, -1, other);
}

int MainConfigDialog::FindModelListIndex(int model) {
    std::string text =
        ModelDisplayName(svc_.ui.strings(), model >= kFirstOtherModel || model < 0 ? 0 : model);
    int count = getCount(mainctl::Model);
    for (int i = 0; i < count && i < kListedModels; ++i)
        if (getText(mainctl::Model, i).compare(0, text.size(), text) == 0) return i;
    ErrorId(svc_.ui, window(), str::ModelNotListed, text.c_str());
    return -1;
}

int MainConfigDialog::GetSelectedModel() {
    int sel = getCurSel(mainctl::Model);
    if (sel < 0) {
        moveFocus(mainctl::Model);
        ErrorId(svc_.ui, window(), str::SelectModel);
        return kNoModel;
    }
    std::string text = firstLine(getText(mainctl::Model, sel), 79);
    std::string other = ModelDisplayName(svc_.ui.strings(), 0);
    if (text.compare(0, other.size(), other) != 0) {
        int model = ModelIndexOfDisplayName(svc_.ui.strings(), text);
        return model < 0 ? kNoModel : model;
    }
    int model = 0;
    std::string name;
    int pick = getCurSel(mainctl::ToConfigure);
    if (pick >= 0) {
        name = getText(mainctl::ToConfigure, pick);
    } else {
        pick = getCurSel(mainctl::Current);
        if (pick >= 0) name = getText(mainctl::Current, pick);
        const QueueRecord* q = findQueue(name, true);
        if (q == nullptr) return kNoModel;
        model = ModelIndexOfQueue(*q);
    }
    if (model < kFirstOtherModel) {
        OtherModelDialog choose(svc_, this, name);
        if (choose.doModal() != id::Ok) return kNoModel;
        model = choose.model();
    }
    FillModelList(model);
    setCurSel(mainctl::Model, FindModelListIndex(model));
    return model;
}

bool MainConfigDialog::QueueModelChanged(int model) {
    int sel = getCurSel(mainctl::Current);
    std::string name = sel >= 0 ? getText(mainctl::Current, sel) : std::string();
    const QueueRecord* q = findQueue(name, true);
    return q != nullptr && !SameModel(*q, model);
}

// ---- Queues ---------------------------------------------------------------------------------

void MainConfigDialog::configure() {
    int model = GetSelectedModel();
    if (model == kNoModel) return;
    bool admin = AdministratorRunning(svc_);
    bool isNew = false, reinitialised = false;
    std::string name;
    int pick = getCurSel(mainctl::ToConfigure);
    if (pick >= 0) {
        isNew = true;
        name = getText(mainctl::ToConfigure, pick);
        if (admin) {
            ErrorId(svc_.ui, window(), str::AdminNewQueue);
            return;
        }
    } else {
        pick = getCurSel(mainctl::Current);
        if (pick < 0) return;
        name = getText(mainctl::Current, pick);
        if (QueueModelChanged(model)) {
            if (admin) {
                ErrorId(svc_.ui, window(), str::AdminModelChange);
                return;
            }
            if (WarnId(svc_.ui, window(), str::ModelChanged, name.c_str()) != id::Yes) return;
            isNew = reinitialised = true;
        }
    }
    QueueRecord record{};
    std::string description =
        firstLine(windowText(mainctl::Description), static_cast<size_t>(kDescriptionLimit));
    int result = id::Ok;
    if (isNew) {
        CreateQueueRecord(svc_, model, name, description, record);
        if (HasQueueOfModel(svc_, model)) {
            NewQueueDialog ask(svc_, this, model, record);
            result = ask.doModal();
            if (result != id::Ok && result != kQueueImported) return;
        }
    } else {
        const QueueRecord* q = findQueue(name, true);
        if (q == nullptr) return;
        record = *q;
        setField(record.Description, description);
    }
    bool imported = result == kQueueImported;
    if (!imported && RunModelDialog(svc_, this, model, record) == id::Cancel) return;
    if (reinitialised) deleteRecord(name);

    if (SaveStatus saved = svc_.records.SaveQueueRecord(record, isNew); !saved.ok()) {
        showSaveFailure(svc_.ui, window(), saved, name);
        ErrorId(svc_.ui, window(), str::QueueNotConfigured, name.c_str());
    } else {
        MessageBoxId(svc_.ui, window(), str::QueueConfigCaption, mb::Ok | mb::IconExclamation,
                     imported ? str::QueueImported : str::QueueConfigured, name.c_str());
        if (isNew && !reinitialised) {
            int at = findStringExact(mainctl::ToConfigure, -1, name);
            if (at >= 0) deleteString(mainctl::ToConfigure, at);
            addString(mainctl::Current, name);
        }
        markClose();
    }
    int list =
        findStringExact(mainctl::Current, -1, name) >= 0 ? mainctl::Current : mainctl::ToConfigure;
    selectString(list, -1, name);
    setCurSel(list == mainctl::Current ? mainctl::ToConfigure : mainctl::Current, -1);
    enable(mainctl::Delete, list == mainctl::Current && !svc_.ui.registryReadOnly());
    enable(mainctl::Configure, true);
    setDefaultButton(mainctl::Configure);
}

void MainConfigDialog::deleteQueue() {
    if (AdministratorRunning(svc_)) {
        ErrorId(svc_.ui, window(), str::AdminDelete);
        return;
    }
    int position = getCurSel(mainctl::Current);
    if (position < 0) return;
    std::string name = getText(mainctl::Current, position);
    if (WarnId(svc_.ui, window(), str::DeleteQueue, name.c_str()) != id::Yes) {
        setDefaultButton(mainctl::Configure);
        moveFocus(mainctl::Current);
        return;
    }
    deleteRecord(name);
    odrNameValid_ = RetrieveOdrQueues();
    int count = getCount(mainctl::Current);
    if (count > 0) {
        setCurSel(mainctl::Current, position < count ? position : 0);
        currentSelected();
    } else {
        FillModelList(kNoModel);
        setCurSel(mainctl::Model, -1);
        setWindowText(mainctl::Description, "");
        enable(mainctl::Configure, false);
        enable(mainctl::Delete, false);
        moveFocus(ctl::Ok);
        setDefaultButton(ctl::Ok);
    }
    markClose();
    moveFocus(mainctl::Current);
}

void MainConfigDialog::deleteRecord(const std::string& name) {
    const SaveStatus deleted = svc_.records.DeleteQueueRecord(name.c_str());
    showSaveFailure(svc_.ui, window(), deleted, name);
    if (deleted.kind == SaveStatus::RegistryRefused || deleted.kind == SaveStatus::NotWritable)
        ErrorId(svc_.ui, window(), str::QueueNotDeleted, name.c_str());
}

// ---- Leaving --------------------------------------------------------------------------------

void MainConfigDialog::onOK() {
    if (ValidateOdrName() == 0) {
        ClearQueueSelection(true);
        return;
    }
    if (focusedControl() == mainctl::OdrName) {
        moveFocus(mainctl::ToConfigure);
        return;
    }
    int left = getCount(mainctl::ToConfigure);
    if (left > 0 && WarnId(svc_.ui, window(), str::QueuesLeft, left) != id::Yes) {
        moveFocus(mainctl::ToConfigure);
        return;
    }
    SaveOdrNameToRegistry(svc_, window(), odrName_);
    // A save the registry refused keeps the dialog, and with it the working copy, open.
    if (SaveStatus saved = svc_.records.SaveServerConfig(working_); !saved.ok()) {
        ErrorId(svc_.ui, window(), str::GeneralNotSaved, systemErrorText(saved.code).c_str());
        return;
    }
    HelpDialog::onOK();
}

void MainConfigDialog::onCancel() {
    auto stay = [this] {
        focusHome();
        setDefaultButton(ctl::Ok);
    };
    if (captionIsClose()) {
        if (WarnId(svc_.ui, window(), str::MainClose) != id::Yes) return stay();
        // Asked rather than kept open: with a registry that refuses every save, staying would
        // leave no way out.
        if (SaveStatus saved = svc_.records.SaveServerConfig(working_);
            !saved.ok() && WarnId(svc_.ui, window(), str::GeneralNotSavedExit,
                                  systemErrorText(saved.code).c_str()) != id::Yes)
            return stay();
    }
    char font1[81] = "";
    ReadStringValue(svc_.registry, kFontsKey, "Font1", "", font1, sizeof font1);
    if (font1[0] == '\0' && WarnId(svc_.ui, window(), str::NotInitialised) != id::Yes)
        return stay();
    char defaultFont[81] = "";
    uint16_t charset = ReadCharsetById(svc_.registry, valueid::FormerCharset, 0);
    ReadStringById(svc_.registry, fontctl::FontName, "", defaultFont, sizeof defaultFont);
    if ((charset == 0 || defaultFont[0] == '\0') &&
        WarnId(svc_.ui, window(), str::FontsNotInitialised) != id::Yes)
        return stay();
    endDialog(id::Cancel);
}

// ---- The run --------------------------------------------------------------------------------

uint32_t RunConfiguration(const Services& svc, WindowRef /*parent*/, uint32_t initResult) {
    SharedRecords& records = svc.records;
    // Without records (the initialiser has logged why) or their writable views there is
    // nothing to configure.
    if (!records.beginRun()) return 0;
    struct EndRun {
        SharedRecords& records;
        ~EndRun() { records.endRun(); }
    } endRun{records};
    EndLogo(svc);
    MainConfigDialog dialog(svc, nullptr, initResult);
    return dialog.doModal() == id::Ok ? 1 : 0;
}

} // namespace lntc
