// A dialog's entry in the machine's window records, so that other programs find it by title as
// they would find the system's own windows.
#pragma once
#include "platform/windows.h"

#include <string>

namespace lntc {

// The class the records give a dialog: the system's dialog class.
inline constexpr const char* kDialogClass = "#32770";

class WindowRecord {
  public:
    WindowRecord() = default;
    WindowRecord(const WindowRecord&) = delete;
    WindowRecord& operator=(const WindowRecord&) = delete;
    ~WindowRecord() { clear(); }

    // Recorded under this title from now on; records is nullptr where there are none. Not being
    // findable by title is no reason to go without the window: a refusal leaves it unrecorded.
    void set(TopWindows* records, const std::string& title) {
        clear();
        if (records == nullptr || records->registerWindow(title, kDialogClass, entry_) != 0) {
            entry_ = 0;
            return;
        }
        records_ = records;
    }
    void clear() {
        if (records_ != nullptr && entry_ != 0) records_->unregister(entry_);
        records_ = nullptr;
        entry_ = 0;
    }
    bool recorded() const { return entry_ != 0; }

  private:
    TopWindows* records_ = nullptr;
    TopWindows::Handle entry_ = 0;
};

} // namespace lntc
