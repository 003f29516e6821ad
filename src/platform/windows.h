// Top-level windows of every process on the machine, found by title or class. A process
// records each top-level window it shows for as long as the window (or the process) lives.
#pragma once
#include <cstdint>
#include <string>

namespace lntc {

class TopWindows {
  public:
    using Handle = uint64_t; // 0: none
    virtual ~TopWindows() = default;
    // Records a window of this process; out receives the handle. 0 or a platform code.
    virtual uint32_t registerWindow(const std::string& title, const std::string& className,
                                    Handle& out) = 0;
    // Removes the record; an unknown handle is ignored.
    virtual void unregister(Handle handle) = 0;
    // Whether some live process shows such a window. Titles and classes compare ignoring case,
    // as the platform's window search does.
    virtual bool existsWithTitle(const std::string& title) const = 0;
    virtual bool existsWithClass(const std::string& className) const = 0;
};

} // namespace lntc
