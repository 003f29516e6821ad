// The configuration run: the main dialog, the ODR discovery it runs, the queue dialogs, the
// printer model list and the font and general options dialogs it opens.
#pragma once
#include "library/services.h"
#include "lntc/lntc.h"
#include "ui/dialog.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

// A model index that says no model was chosen (or the choice was cancelled).
inline constexpr int kNoModel = 0xFFFF;
// End code of NewQueueDialog and ImportQueueDialog when the record holds a copied configuration.
inline constexpr int kQueueImported = 3;

// ---- ODR names and discovery

// The RLK server's host name of an ODR name: "Alpha:Quendal" gives "alpha-quendal-rlk-server".
std::string MakeRlkServerHostName(const std::string& odrName);

// Whether a queue name of the ODR can be configured here: not empty, a registry key of its own
// (no "\"), no control characters, and whole in the record's Name.
bool QueueNameUsable(std::string_view name);

// The ODR's queues that address this print server, in the name service's order. tcpAddress
// "a.b.c.d" asks that server directly; empty asks through the name service. 0 or its error.
uint32_t FetchOdrQueueNames(const Services& svc, const std::string& odrName,
                            const std::string& tcpAddress, std::vector<std::string>& names);

// Stores the name as the ODR software's "RLKDomain"; failures are logged or shown (boxes owned
// by owner). True when the value was written.
bool SaveOdrNameToRegistry(const Services& svc, WindowRef owner, const std::string& odrName);

// Asks for the ODR's TCP address when its name server does not answer (template 1100).
class OdrAddressDialog : public HelpDialog {
  public:
    OdrAddressDialog(const Services& svc, Dialog* parent, std::string odrName,
                     std::string proposed);
    // After OK: the address typed.
    const std::string& address() const { return address_; }

  protected:
    bool onInitDialog() override;
    void onOK() override;

  private:
    Services svc_;
    std::string odrName_, address_;
};

// ---- Queues

// Whether a program window titled "Lintora Administrator" is open on this machine.
bool AdministratorRunning(const Services& svc);

// The defaults of a new queue of the model on a zero-filled record.
void InitNewQueueRecord(int model, const std::string& name, const std::string& description,
                        QueueRecord& record);

// Whether two records are queues of the same model (the "other" models by their alias).
bool SameModel(const QueueRecord& a, int model);

// Whether any of the slots holds a queue of the model.
bool HasQueueOfModel(const Services& svc, int model);

// Create or import (template 301). Ends with id::Ok (create), id::Cancel or kQueueImported.
class NewQueueDialog : public HelpDialog {
  public:
    NewQueueDialog(const Services& svc, Dialog* parent, int model, QueueRecord& record);

  protected:
    bool onInitDialog() override;
    void onCommand(int id, Notify code) override;

  private:
    Services svc_;
    int model_;
    QueueRecord& record_;
};

// Copies another queue's configuration of the same model (template 302). Ends with
// kQueueImported or id::Cancel.
class ImportQueueDialog : public HelpDialog {
  public:
    ImportQueueDialog(const Services& svc, Dialog* parent, int model, QueueRecord& record);

  protected:
    bool onInitDialog() override;
    void onOK() override;

  private:
    Services svc_;
    int model_;
    QueueRecord& record_;
    std::string name_, description_;
};

// ---- Printer models

// The local path of a model's driver module, and whether it is installed.
std::string ModelModulePath(const Services& svc, int model);
bool ModelInstalled(const Services& svc, int model);

// Chooses one of the models offered only as another model (template 602).
class OtherModelDialog : public HelpDialog {
  public:
    OtherModelDialog(const Services& svc, Dialog* parent, std::string queueName);
    // After OK: the chosen model index.
    int model() const { return model_; }

  protected:
    bool onInitDialog() override;
    void onOK() override;

  private:
    Services svc_;
    std::string queueName_;
    int model_ = kNoModel;
};

// Opens the model's configuration dialog (400 or 500) on the record; its end code.
int RunModelDialog(const Services& svc, Dialog* parent, int model, QueueRecord& record);

// ---- Fonts and general options: both edit the run's working copy of the server record.

class FontsDialog;          // template 700
class GeneralOptionsDialog; // template 800
int RunFontsDialog(const Services& svc, Dialog* parent, ServerConfig& working);
int RunGeneralOptionsDialog(const Services& svc, Dialog* parent, ServerConfig& working);

// ---- The run

// The main dialog (template 203) on the shared records, with writable views of them for the
// run; 1 when it ended with OK, else 0 (also when there are no records to work on).
// initResult: what the initialiser reported when this run set the records up, else 0.
uint32_t RunConfiguration(const Services& svc, WindowRef parent, uint32_t initResult = 0);

} // namespace lntc
