// The per-queue printer dialogs and the queue options they open.
#include "connectivity/connectivity_dialogs.h"
#include "connectivity/connectivity_rules.h"

#include "library/services.h"
#include "media/media_dialogs.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/models.h"
#include "store/records.h"
#include "ui/message_box.h"

#include <cstring>

namespace lntc {

namespace {

void showTitle(Dialog& d, const Services& svc, uint32_t formatId, int model, int nameId,
               const QueueRecord& q) {
    std::string name = ModelDisplayName(svc.ui.strings(), model);
    d.setTitle(formatMessage(svc.ui.strings().load(formatId).c_str(), name.c_str()));
    d.setWindowText(nameId, std::string(fieldText(q.Name)));
}

bool isModel(int model, const char* key) {
    return model >= 0 && static_cast<size_t>(model) < kModelCount &&
           std::strcmp(kPrinterModels[model].key, key) == 0;
}

// The Cancel button reads "Close" once a sub-dialog has committed changes to the record.
void markCommitted(Dialog& d, const Services& svc) {
    d.setWindowText(ctl::Cancel, svc.ui.strings().load(str::CloseCaption));
}

// Cancel, Escape or the close box: with changes committed, leaving keeps them (50) after the
// question; without, it is a plain Cancel.
void leave(Dialog& d, const Services& svc, uint32_t questionId) {
    if (d.windowText(ctl::Cancel).substr(0, 15) != svc.ui.strings().load(str::CloseCaption)) {
        d.endDialog(id::Cancel);
        return;
    }
    if (WarnId(svc.ui, d.window(), questionId) == id::Yes) d.endDialog(kClosedWithChanges);
}

void backToOk(Dialog& d) {
    d.setFocus(ctl::Ok);
    d.setDefaultButton(ctl::Ok);
}

// Options of either printer dialog; true when the record got changes.
bool runOptions(const Services& svc, Dialog& parent, QueueRecord& q) {
    QueueOptionsDialog options(svc, &parent, q);
    int code = options.doModal();
    return code == id::Ok || code == kClosedWithChanges;
}

int connectivityOf(Dialog& d) {
    if (d.isChecked(printerctl::TcpDirect) == 1) return 1;
    if (d.isChecked(printerctl::PrintManager) == 1) return 0;
    return 2;
}

} // namespace

// --- HP LaserJet and generic PostScript --------------------------------------------------------

PrinterConfigDialog::PrinterConfigDialog(const Services& svc, Dialog* parent, int modelIndex,
                                         QueueRecord& queue)
    : HelpDialog(svc.ui, dlg::PrinterConfig, parent), svc_(svc), model_(modelIndex), queue_(queue),
      waitTimeout_(queue.WaitTimeout), centerImage_(queue.CenterImage != 0 ? 1 : 0) {
    MergeQueueMedia(svc, queue, media_);
}

void PrinterConfigDialog::doDataExchange(DataExchange& dx) {
    ddxUInt(dx, printerctl::WaitTimeout, waitTimeout_);
    ddvRange(dx, waitTimeout_, limit::WaitTimeout);
    ddxCheck(dx, printerctl::CenterImage, centerImage_);
}

bool PrinterConfigDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    showTitle(*this, svc_, str::PrinterConfigTitle, model_, printerctl::QueueName, queue_);
    const bool tcpip = TcpIpPresent(svc_);
    enable(printerctl::TcpDirect, tcpip);
    enable(printerctl::RawBinary, true);
    int selected = printerctl::PrintManager;
    if (queue_.Connectivity == connectivity::TcpDirect) {
        if (tcpip) {
            selected = printerctl::TcpDirect;
            enable(printerctl::RawBinary,
                   EncodingAllowed(connectivity::TcpDirect, encoding::RawBinary));
        } else {
            ErrorId(svc_.ui, window(), str::TcpIpMissing);
            selected = printerctl::OtherPort; // the record keeps 1 until reconfigured
        }
    } else if (queue_.Connectivity == connectivity::OtherPort) {
        selected = printerctl::OtherPort;
    }
    checkRadioButton(printerctl::PrintManager, printerctl::OtherPort, selected);
    checkRadioButton(printerctl::RawBinary, printerctl::Ascii85,
                     queue_.DataEncode == 1   ? printerctl::AsciiHex
                     : queue_.DataEncode == 2 ? printerctl::Ascii85
                                              : printerctl::RawBinary);
    setDlgItemInt(printerctl::WaitTimeout, queue_.WaitTimeout);
    check(printerctl::CenterImage, queue_.CenterImage != 0 ? 1 : 0);
    setWindowText(ctl::Cancel, svc_.ui.strings().load(str::CancelCaption));
    applyReadOnlyRegistry();
    return true;
}

void PrinterConfigDialog::configure() {
    int connectivity = connectivityOf(*this);
    int code = id::Cancel;
    if (connectivity == 1) {
        TcpDirectDialog d(svc_, this, queue_);
        code = d.doModal();
    } else if (connectivity == 0) {
        PrintManagerDialog d(svc_, this, queue_);
        code = d.doModal();
    } else {
        OtherPortDialog d(svc_, this, queue_);
        code = d.doModal();
    }
    if (code != id::Ok) return;
    const uint32_t box = mb::Ok | mb::IconExclamation | mb::SetForeground;
    MessageBoxId(svc_.ui, window(), str::PostScriptConfigCaption, box, str::ConnectivityConfigured);
    queue_.Connectivity = static_cast<uint32_t>(connectivity);
    markCommitted(*this, svc_);
    const bool rawBinary = EncodingAllowed(queue_.Connectivity, encoding::RawBinary);
    if (!rawBinary && isChecked(printerctl::RawBinary) == 1) {
        MessageBoxId(svc_.ui, window(), str::PostScriptConfigCaption, box, str::RawBinaryWithTcp);
        checkRadioButton(printerctl::RawBinary, printerctl::Ascii85, printerctl::Ascii85);
        queue_.DataEncode = encoding::Ascii85;
    }
    enable(printerctl::RawBinary, rawBinary);
}

void PrinterConfigDialog::onCommand(int id, Notify code) {
    if (code != Notify::Clicked) return;
    if (id == printerctl::Configure) {
        configure();
    } else if (id == printerctl::Media) {
        TrayMediaDialog media(svc_, this, queue_, media_);
        if (media.doModal() == id::Ok) markCommitted(*this, svc_);
        backToOk(*this);
    } else if (id == printerctl::Options) {
        if (runOptions(svc_, *this, queue_)) markCommitted(*this, svc_);
        backToOk(*this);
    }
}

void PrinterConfigDialog::onScroll(int id, Scroll code) {
    if (id == printerctl::WaitTimeoutSpin)
        spin(printerctl::WaitTimeout, code,
             {.low = limit::WaitTimeout.low, .high = limit::WaitTimeout.high});
}

void PrinterConfigDialog::onOK() {
    if (static_cast<uint32_t>(connectivityOf(*this)) != queue_.Connectivity) {
        ErrorId(svc_.ui, window(), str::ConfigureConnectivity);
        return;
    }
    if (isChecked(printerctl::RawBinary) == 1 && isModel(model_, "GENERIC_POSTSCRIPT") &&
        WarnId(svc_.ui, window(), str::RawBinaryQuestion) == id::Yes) {
        setFocus(printerctl::Ascii85);
        return;
    }
    if (!updateData(true)) return;
    queue_.DataEncode = isChecked(printerctl::RawBinary) == 1  ? 0
                        : isChecked(printerctl::AsciiHex) == 1 ? 1
                                                               : 2;
    queue_.WaitTimeout = static_cast<uint16_t>(waitTimeout_);
    queue_.CenterImage = static_cast<uint32_t>(centerImage_);
    endDialog(id::Ok);
}

void PrinterConfigDialog::onCancel() {
    leave(*this, svc_, str::PrinterConfigClose);
}

// --- Ricoh and large-document printers ------------------------------------------------------

LargeDocConfigDialog::LargeDocConfigDialog(const Services& svc, Dialog* parent, int modelIndex,
                                           QueueRecord& queue)
    : HelpDialog(svc.ui, dlg::LargeDocConfig, parent), svc_(svc), model_(modelIndex), queue_(queue),
      initTimeout_(queue.PrinterInitTimeout) {
    // Either way the record starts from complete media values; a large-document printer's
    // reading of its configuration file can report a failure before this dialog shows.
    if (isRicoh(ModelClassFlags(model_))) {
        MergeQueueMedia(svc, queue, media_);
    } else {
        std::vector<uint16_t> available;
        PrepareBestAvailMedia(svc, queue, window(), available);
    }
}

void LargeDocConfigDialog::doDataExchange(DataExchange& dx) {
    ddxUInt(dx, largedocctl::InitTimeout, initTimeout_);
    ddvRange(dx, initTimeout_, limit::PrinterInitTimeout);
}

bool LargeDocConfigDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    showTitle(*this, svc_, str::PrinterConfigTitle, model_, largedocctl::QueueName, queue_);
    setDlgItemInt(largedocctl::InitTimeout, queue_.PrinterInitTimeout);
    setWindowText(ctl::Cancel, svc_.ui.strings().load(str::CancelCaption));
    applyReadOnlyRegistry();
    return true;
}

void LargeDocConfigDialog::onCommand(int id, Notify code) {
    if (code != Notify::Clicked) return;
    if (id == largedocctl::Media) {
        int result;
        if (isRicoh(ModelClassFlags(model_))) {
            EjectMediaDialog media(svc_, this, queue_, media_);
            result = media.doModal();
        } else {
            BestAvailMediaDialog media(svc_, this, queue_);
            result = media.doModal();
        }
        if (result == id::Ok) markCommitted(*this, svc_);
        backToOk(*this);
    } else if (id == largedocctl::Options) {
        if (runOptions(svc_, *this, queue_)) markCommitted(*this, svc_);
        backToOk(*this);
    }
}

void LargeDocConfigDialog::onScroll(int id, Scroll code) {
    if (id == largedocctl::InitTimeoutSpin)
        spin(largedocctl::InitTimeout, code,
             {.low = limit::PrinterInitTimeout.low, .high = limit::PrinterInitTimeout.high});
}

void LargeDocConfigDialog::onOK() {
    if (!updateData(true)) return;
    queue_.PrinterInitTimeout = static_cast<uint16_t>(initTimeout_);
    endDialog(id::Ok);
}

void LargeDocConfigDialog::onCancel() {
    leave(*this, svc_, str::LargeDocConfigClose);
}

// --- queue options ---------------------------------------------------------------------------

QueueOptionsDialog::QueueOptionsDialog(const Services& svc, Dialog* parent, QueueRecord& queue)
    : HelpDialog(svc.ui, dlg::QueueOptions, parent), svc_(svc), queue_(queue),
      timeout_(queue.PrinterStatusTimeout),
      // Check boxes show any non-zero value as checked.
      alternate_(queue.UseAlternateOrientation != 0), duplexAvailable_(queue.DuplexAvailable != 0),
      alwaysDuplex_(queue.DuplexPrint != 0), sameBinding_(queue.DuplexBinding != 0) {}

void QueueOptionsDialog::doDataExchange(DataExchange& dx) {
    ddxUInt(dx, qoptctl::Timeout, timeout_);
    ddvRange(dx, timeout_, limit::PrinterStatusTimeout);
    ddxCheck(dx, qoptctl::AlternateOrientation, alternate_);
    ddxCheck(dx, qoptctl::DuplexAvailable, duplexAvailable_);
    ddxCheck(dx, qoptctl::AlwaysDuplex, alwaysDuplex_);
    ddxCheck(dx, qoptctl::SameBinding, sameBinding_);
}

void QueueOptionsDialog::duplexRule() {
    const bool on = isEnabled(qoptctl::DuplexAvailable) && isChecked(qoptctl::DuplexAvailable) == 1;
    if (!on) check(qoptctl::AlwaysDuplex, 0);
    enable(qoptctl::AlwaysDuplex, on);
    // The binding controls only carry DuplexBinding through the dialog.
    for (int id : {qoptctl::SameBinding, qoptctl::TopEdgeBinding, qoptctl::LeftEdgeBinding}) {
        enable(id, false);
        show(id, false);
    }
}

bool QueueOptionsDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    const int model = ModelIndexOfQueue(queue_);
    const uint32_t flags = ModelClassFlags(model);
    showTitle(*this, svc_, str::QueueOptionsTitle, model, qoptctl::QueueName, queue_);
    checkRadioButton(qoptctl::PrinterOnly, qoptctl::PrinterAndDisk,
                     queue_.PrintDest == 2   ? qoptctl::DiskOnly
                     : queue_.PrintDest == 3 ? qoptctl::PrinterAndDisk
                                             : qoptctl::PrinterOnly);
    checkRadioButton(qoptctl::TopEdgeBinding, qoptctl::LeftEdgeBinding,
                     queue_.DuplexBinding == 2 ? qoptctl::TopEdgeBinding
                                               : qoptctl::LeftEdgeBinding);
    enable(qoptctl::DuplexGroup, takesPostScript(flags));
    enable(qoptctl::DuplexAvailable, takesPostScript(flags));
    duplexRule();
    setDlgItemInt(qoptctl::Timeout, queue_.PrinterStatusTimeout);
    enable(qoptctl::Advanced, isRicohOrLargeDocument(flags));
    setWindowText(ctl::Cancel, svc_.ui.strings().load(str::CancelCaption));
    applyReadOnlyRegistry();
    return true;
}

void QueueOptionsDialog::onCommand(int id, Notify code) {
    if (code != Notify::Clicked) return;
    if (id == qoptctl::DuplexAvailable) {
        duplexRule();
    } else if (id == qoptctl::Advanced) {
        AdvancedQueueOptionsDialog advanced(svc_, this, queue_);
        if (advanced.doModal() == id::Ok) markCommitted(*this, svc_);
        backToOk(*this);
    }
}

void QueueOptionsDialog::onScroll(int id, Scroll code) {
    if (id == qoptctl::TimeoutSpin)
        spin(qoptctl::Timeout, code,
             {.low = limit::PrinterStatusTimeout.low, .high = limit::PrinterStatusTimeout.high});
}

void QueueOptionsDialog::onOK() {
    if (!updateData(true)) return;
    queue_.PrintDest = isChecked(qoptctl::DiskOnly) == 1         ? 2
                       : isChecked(qoptctl::PrinterAndDisk) == 1 ? 3
                                                                 : 1;
    queue_.DuplexAvailable = static_cast<uint32_t>(duplexAvailable_);
    const uint32_t flags = ModelClassFlags(ModelIndexOfQueue(queue_));
    queue_.DuplexPrint = DuplexAllowed(flags, static_cast<uint32_t>(duplexAvailable_))
                             ? static_cast<uint32_t>(alwaysDuplex_)
                             : 0;
    queue_.DuplexBinding = sameBinding_ == 0                          ? 0
                           : isChecked(qoptctl::LeftEdgeBinding) == 1 ? 1
                           : isChecked(qoptctl::TopEdgeBinding) == 1  ? 2
                                                                      : 0;
    queue_.UseAlternateOrientation = static_cast<uint16_t>(alternate_);
    queue_.PrinterStatusTimeout = static_cast<uint16_t>(timeout_);
    endDialog(id::Ok);
}

void QueueOptionsDialog::onCancel() {
    leave(*this, svc_, str::QueueOptionsClose);
}

AdvancedQueueOptionsDialog::AdvancedQueueOptionsDialog(const Services& svc, Dialog* parent,
                                                       QueueRecord& queue)
    : HelpDialog(svc.ui, dlg::AdvancedQueueOptions, parent), svc_(svc), queue_(queue),
      rotate180_(queue.Rotate180 != 0), displayXform_(queue.UseDisplayXform != 0) {}

void AdvancedQueueOptionsDialog::doDataExchange(DataExchange& dx) {
    ddxCheck(dx, advctl::DisplayXform, displayXform_);
    ddxCheck(dx, advctl::Rotate180, rotate180_);
}

bool AdvancedQueueOptionsDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    showTitle(*this, svc_, str::AdvancedOptionsTitle, ModelIndexOfQueue(queue_), advctl::QueueName,
              queue_);
    applyReadOnlyRegistry();
    return true;
}

void AdvancedQueueOptionsDialog::onOK() {
    if (!updateData(true)) return;
    queue_.UseDisplayXform = static_cast<uint32_t>(displayXform_);
    queue_.Rotate180 = static_cast<uint32_t>(rotate180_);
    endDialog(id::Ok);
}

} // namespace lntc
