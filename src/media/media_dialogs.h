// The three paper media dialogs of a queue's printer configuration: input trays (HP LaserJet
// and generic PostScript), eject trays (Ricoh engines) and best-available paper sizes (large-
// document printers). Each works on the caller's queue record; the first two also on the
// caller's default media working state, so that a second visit starts where the first ended.
#pragma once
#include "library/services.h"
#include "lntc/lntc.h"
#include "store/fields.h"
#include "ui/dialog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lntc {

// Reconciles a queue's stored tray values with its model's default media: the working state
// becomes the model's entry with the queue's trays applied, and every empty or unset queue
// value is filled from it. Builds the default media table first when the process has none
// (a failure to build it shown, or only logged when show is false).
void MergeQueueMedia(const Services& svc, QueueRecord& queue, DefaultMedia& media,
                     bool show = true);

// Reads the model's section of ldpx.cfg and fills the queue's empty paper values from it; when
// the file cannot be read, says so (owner: the box's parent) and gives the queue fixed fallback
// values. available gets the paper-size ids to offer, in the file's order; false when unread.
// Without show the failure is only logged.
bool PrepareBestAvailMedia(const Services& svc, QueueRecord& queue, WindowRef owner,
                           std::vector<uint16_t>& available, bool show = true);

// What the three dialogs share: the title, the queue name, the overscan field and its scroll
// bar, and the filling of a tray-name combo.
class MediaDialog : public HelpDialog {
  public:
    double overscan() const { return overscan_; }

  protected:
    MediaDialog(const Services& svc, uint16_t templateId, Dialog* parent, QueueRecord& queue,
                int overscanId);
    // "%s Paper Media" with the model's name, and the queue's name in its field.
    void showTitle(int queueNameId);
    // Rewrites the overscan text with one decimal when it is a number of 0.0 to 10.0;
    // otherwise says so and leaves the text for the user to mend.
    void checkOverscanText();
    // Line up and down by 0.1 within 0.0 to 10.0.
    void scrollOverscan(Scroll code) { spin(overscanId_, code, kOverscanSpin); }
    // Disables label and combo when the list has no default; else fills and selects it.
    void fillTrayNames(const MediaTrayList& list, int labelId, int comboId);
    void exchangeOverscan(DataExchange& dx);

    void onKillFocus(int id) override;

    static constexpr SpinRange kOverscanSpin{.low = limit::OverscanAmt.low,
                                             .high = limit::OverscanAmt.high,
                                             .step = 0.1,
                                             .outside = SpinOutside::Clamp,
                                             .format = "%1.1f"};
    Services svc_;
    QueueRecord& queue_;
    double overscan_;
    int overscanId_;
};

class TrayMediaDialog : public MediaDialog {
  public:
    // The working state comes from MergeQueueMedia or an earlier visit.
    TrayMediaDialog(const Services& svc, Dialog* parent, QueueRecord& queue, DefaultMedia& media);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCommand(int id, Notify code) override;
    void onScroll(int id, Scroll code) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    static int control(int tray, int topId);
    bool available(int tray);
    // 1 to 3, or 0 when absent or without a checked button.
    int priority(int tray);
    void setPriority(int tray, int p);
    int checkedCount();
    void enableRadios(int tray, int upTo);
    void availabilityRule(int tray);
    void reRank(int tray);
    void priorityRule(int tray);

    DefaultMedia& media_;
};

class EjectMediaDialog : public MediaDialog {
  public:
    EjectMediaDialog(const Services& svc, Dialog* parent, QueueRecord& queue, DefaultMedia& media);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCommand(int id, Notify code) override;
    void onScroll(int id, Scroll code) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    void enablePages(bool on);

    DefaultMedia& media_;
    uint32_t pages_;
    int switch_;
};

class BestAvailMediaDialog : public MediaDialog {
  public:
    // Prepares the queue's paper values as PrepareBestAvailMedia does.
    BestAvailMediaDialog(const Services& svc, Dialog* parent, QueueRecord& queue);
    bool fileRead() const { return fileRead_; }

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCommand(int id, Notify code) override;
    void onScroll(int id, Scroll code) override;
    void onKillFocus(int id) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    void selectionChanged(int list);
    // Moves the selected entries of source to the end of destination and rebuilds source.
    void move(int button, int source, int destination);
    void refill(int list, int other);
    std::vector<std::string> items(int list);

    bool fileRead_ = false;
    std::vector<uint16_t> available_; // paper-size ids, in the file's order
};

} // namespace lntc
