// The main dialog of the configuration run (template 203): the default ODR name, the queues
// the ODR assigns to this print server, and what is configured here.
#pragma once
#include "configure/configure.h"

#include <cstdint>
#include <set>
#include <string>

namespace lntc {

class MainConfigDialog : public HelpDialog {
  public:
    // initResult: what the initialiser of the shared records reported (0: success).
    MainConfigDialog(const Services& svc, Dialog* parent, uint32_t initResult);

    // The working copy that Fonts, Options and OK work on.
    const ServerConfig& working() const { return working_; }
    bool combinedServer() const { return combined_; }
    bool odrNameValid() const { return odrNameValid_; }

    // 1 when the name in the box is accepted and its queues are listed.
    int ValidateOdrName();
    // 1 when the lists were filled; 0 when cancelled or no queue addresses this server.
    int RetrieveOdrQueues();
    void ClearQueueSelection(bool empty);
    void FillModelList(int model);
    // Box position of the model's entry, or -1 after a message.
    int FindModelListIndex(int model);
    // The chosen model index, or kNoModel.
    int GetSelectedModel();
    // Whether the queue selected in the current list has another model.
    bool QueueModelChanged(int model);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void onCommand(int id, Notify code) override;
    void onSetFocus(int id) override;
    void onKillFocus(int id) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    void toConfigureSelected();
    void currentSelected();
    void configure();
    void deleteQueue();
    // Deletes the queue's record, showing why when it could not.
    void deleteRecord(const std::string& name);
    void runSubDialog(bool fonts);
    // The address of the RLK server's host: the machine's hosts file, then the resolver.
    std::string proposedAddress(const std::string& hostName);
    // The record of a configured queue, or nullptr after the "Error locating" message.
    const QueueRecord* findQueue(const std::string& name, bool tell);
    // The focus after a refused step: the current list on a combined server, else the name box.
    void focusHome();
    // A focus move of the dialog's own, which checks nothing.
    void moveFocus(int id);
    void markClose();
    bool captionIsClose();
    // Whether the name has a domain and an organization that the records can hold.
    bool odrNameFits(const std::string& name);

    Services svc_;
    ServerConfig working_{};
    std::string odrName_, toConfigureSel_, currentSel_, modelText_, description_;
    bool combined_ = false;
    int odrNameValid_ = 0;
    bool validating_ = false;
    int lostFocus_ = 0;
    // The ODR's queue names that cannot be configured and have been logged in this run.
    std::set<std::string> refusedLogged_;
};

} // namespace lntc
