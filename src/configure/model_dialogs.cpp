// Which printer models are installed, the choice of another model, and the dialog of each
// model's class.
#include "configure/configure.h"

#include "connectivity/connectivity_dialogs.h"
#include "library/services.h"
#include "platform/filesystem.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/models.h"
#include "ui/message_box.h"

namespace lntc {

namespace {

constexpr size_t kModelTextMax = 63;

} // namespace

std::string ModelModulePath(const Services& svc, int model) {
    char module[32];
    ModelModuleName(model, module, sizeof module);
    const std::string productPath = formatMessage("/qdsw/lnt/bin/%s.dll", module);
    const char* local = svc.product.qdcPath(1, productPath.c_str());
    return local != nullptr ? std::string(local) : std::string();
}

bool ModelInstalled(const Services& svc, int model) {
    FileSystem* files = svc.platform.files;
    const std::string path = ModelModulePath(svc, model);
    if (files == nullptr || path.empty()) return false;
    uint32_t error = 0;
    const uint32_t attributes = files->attributes(path, error);
    // A folder, a pipe or a device of that name is no module (nor is a link, which the file
    // system does not follow on drive C).
    return attributes != fileattr::Invalid &&
           (attributes & (fileattr::Directory | fileattr::Device)) == 0;
}

OtherModelDialog::OtherModelDialog(const Services& svc, Dialog* parent, std::string queueName)
    : HelpDialog(svc.ui, dlg::OtherModel, parent), svc_(svc), queueName_(std::move(queueName)) {}

bool OtherModelDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    setWindowText(othermodelctl::QueueName, queueName_);
    for (int model = kFirstOtherModel; model < static_cast<int>(kModelCount); ++model) {
        const std::string shown = ModelDisplayName(svc_.ui.strings(), model);
        if (ModelInstalled(svc_, model)) {
            addString(othermodelctl::Model, shown);
        } else {
            char module[32];
            ModelModuleName(model, module, sizeof module);
            ErrorId(svc_.ui, window(), str::ModuleNotInstalled, module, shown.c_str());
        }
    }
    setCurSel(othermodelctl::Model,
              findStringExact(othermodelctl::Model, -1,
                              ModelDisplayName(svc_.ui.strings(), kFirstOtherModel)));
    applyReadOnlyRegistry();
    return true;
}

void OtherModelDialog::onOK() {
    const int selected = getCurSel(othermodelctl::Model);
    if (selected < 0) {
        ErrorId(svc_.ui, window(), str::SelectModel);
        return;
    }
    model_ = ModelIndexOfDisplayName(
        svc_.ui.strings(), getText(othermodelctl::Model, selected).substr(0, kModelTextMax));
    endDialog(id::Ok);
}

int RunModelDialog(const Services& svc, Dialog* parent, int model, QueueRecord& record) {
    if (takesPostScript(ModelClassFlags(model)))
        return PrinterConfigDialog(svc, parent, model, record).doModal();
    return LargeDocConfigDialog(svc, parent, model, record).doModal();
}

} // namespace lntc
