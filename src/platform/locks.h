// Advisory locks by which the processes of one machine take turns at a file they share.
#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace lntc {

class FileLocks {
  public:
    // Held until destroyed.
    class Held {
      public:
        virtual ~Held() = default;
    };
    virtual ~FileLocks() = default;
    // Takes the machine-wide lock of that name ("hosts"), waiting at most `wait` for another
    // holder to let go. 0, 33 (lock violation) when it was held all that time, or the platform's
    // error when the lock cannot be had at all.
    virtual uint32_t acquire(const std::string& name, std::chrono::milliseconds wait,
                             std::unique_ptr<Held>& out) = 0;
};

} // namespace lntc
