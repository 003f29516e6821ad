// Machine-wide locks over named mutexes.
#pragma once
#include "platform/locks.h"

#include <string>

namespace lntc {

// A lock is the mutex "Local\lnt.<root hash>.lock.<name>", made with the machine objects'
// security: every user may wait on it, which is what takes a mutex, only Administrators may
// change it. A holder that dies lets go: the mutex is abandoned and the next waiter has it.
// A mutex belongs to the thread that took it: the Held must be destroyed on that thread, else
// the lock stays taken until the thread ends. A second acquire on the thread that holds the
// lock waits and answers 33, as another holder would, rather than taking it again.
class Win32FileLocks : public FileLocks {
  public:
    explicit Win32FileLocks(const std::string& root);

    uint32_t acquire(const std::string& name, std::chrono::milliseconds wait,
                     std::unique_ptr<Held>& out) override;

  private:
    std::string prefix_;
};

} // namespace lntc
