// The per-queue printer dialogs and the dialogs they open: how the printer is reached (TCP
// Direct, a spooler printer, a local port) and the queue options. Each edits the caller's
// working queue record.
#pragma once
#include "library/services.h"
#include "lntc/lntc.h"
#include "ui/dialog.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lntc {

// End code of a dialog left through "Close" after its sub-dialogs committed changes.
inline constexpr int kClosedWithChanges = 50;

// TCP Direct (template 401): the port name from the hosts file, its address and the socket.
// OK: DeviceName and TCP_SocketNumber written, the hosts file updated.
class TcpDirectDialog : public HelpDialog {
  public:
    TcpDirectDialog(const Services& svc, Dialog* parent, QueueRecord& queue);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCommand(int id, Notify code) override;
    void onKillFocus(int id) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    // Shows the name's address from the hosts file (or "0.0.0.0") and notes whether it is new.
    void lookUp(const std::string& name);

    Services svc_;
    QueueRecord& queue_;
    std::string portName_; // exchanged with the box
    std::string lookedUp_; // the name the address and isNewName_ belong to
    std::string address_ = "0.0.0.0";
    uint32_t socket_;
    bool isNewName_ = true;
};

// Asks whether a port name not in the hosts file is to be added (template 402); OK means yes.
class NewTcpPortDialog : public HelpDialog {
  public:
    NewTcpPortDialog(const Services& svc, Dialog* parent, std::string name, std::string address);

  protected:
    bool onInitDialog() override;

  private:
    std::string name_, address_;
};

// A printer the spooler knows (template 403). OK: DeviceName is the printer's name.
class PrintManagerDialog : public HelpDialog {
  public:
    PrintManagerDialog(const Services& svc, Dialog* parent, QueueRecord& queue);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCommand(int id, Notify code) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    void fillPrinterList();
    // The printer an OK takes from the box's text.
    std::string printerName(const std::string& text) const;
    Services svc_;
    QueueRecord& queue_;
    std::string printer_;
    // Each listed entry and the printer it stands for.
    std::vector<std::pair<std::string, std::string>> entries_;
};

// A local port (template 404). OK: DeviceName is the port's name.
class OtherPortDialog : public HelpDialog {
  public:
    OtherPortDialog(const Services& svc, Dialog* parent, QueueRecord& queue);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void doDataExchange(DataExchange& dx) override;

  private:
    Services svc_;
    QueueRecord& queue_;
    std::string port_;
};

// Print destination, duplex, orientation mode and printer time-out (template 406). Ends with
// 1, 2, or kClosedWithChanges after the advanced dialog committed its two fields.
class QueueOptionsDialog : public HelpDialog {
  public:
    QueueOptionsDialog(const Services& svc, Dialog* parent, QueueRecord& queue);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void onCommand(int id, Notify code) override;
    void onScroll(int id, Scroll code) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    void duplexRule();
    Services svc_;
    QueueRecord& queue_;
    uint32_t timeout_;
    int alternate_, duplexAvailable_, alwaysDuplex_, sameBinding_;
};

// The two rotation settings of Ricoh and large-document printers (template 407).
class AdvancedQueueOptionsDialog : public HelpDialog {
  public:
    AdvancedQueueOptionsDialog(const Services& svc, Dialog* parent, QueueRecord& queue);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void doDataExchange(DataExchange& dx) override;

  private:
    Services svc_;
    QueueRecord& queue_;
    int rotate180_, displayXform_;
};

// HP LaserJet and generic PostScript queues (template 400). Ends with 1, 2 or
// kClosedWithChanges.
class PrinterConfigDialog : public HelpDialog {
  public:
    PrinterConfigDialog(const Services& svc, Dialog* parent, int modelIndex, QueueRecord& queue);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void onCommand(int id, Notify code) override;
    void onScroll(int id, Scroll code) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    void configure();
    Services svc_;
    int model_;
    QueueRecord& queue_;
    uint32_t waitTimeout_;
    int centerImage_;
    DefaultMedia media_{};
};

// Ricoh and large-document queues (template 500). Ends with 1, 2 or kClosedWithChanges.
class LargeDocConfigDialog : public HelpDialog {
  public:
    LargeDocConfigDialog(const Services& svc, Dialog* parent, int modelIndex, QueueRecord& queue);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void onCommand(int id, Notify code) override;
    void onScroll(int id, Scroll code) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    Services svc_;
    int model_;
    QueueRecord& queue_;
    uint32_t initTimeout_;
    DefaultMedia media_{};
};

} // namespace lntc
