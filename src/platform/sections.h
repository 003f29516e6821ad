// Named shared-memory sections and named events, machine-wide.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lntc {

// One open section. It stays alive while some process holds one open; the last process
// out removes it, and a section whose holders all died is created afresh on the next open.
class Section {
public:
    virtual ~Section() = default;
    virtual size_t size() const = 0;
    // Maps a view. A read-only view is mapped without write permission: a write faults.
    virtual void* mapView(bool writable, uint32_t& error) = 0;
    virtual void unmapView(void* view) = 0;

    // Fill coordination. The process whose open created the section holds the fill lock
    // until markFilled(); others wait for it with waitFilled().
    enum class FillState { Filled, MustFill, StillFilling };
    // Filled: the records are complete. MustFill: the filler died before finishing and this
    // process now holds the fill lock and must fill, then call markFilled(). StillFilling:
    // the filler is alive but did not finish within the timeout.
    virtual FillState waitFilled(std::chrono::milliseconds timeout) = 0;
    virtual void markFilled() = 0;
};

class Sections {
public:
    virtual ~Sections() = default;
    // Creates the named section or opens the existing one. created tells which happened;
    // a creator holds the fill lock (see Section).
    virtual uint32_t open(const std::string& name, size_t size, std::unique_ptr<Section>& out,
                          bool& created) = 0;

    // A machine-wide named event: created reports whether this call created it. Closing
    // the last handle (or the death of its holders) removes it.
    class Event {
    public:
        virtual ~Event() = default;
    };
    virtual uint32_t openEvent(const std::string& name, std::unique_ptr<Event>& out,
                               bool& created) = 0;
};

} // namespace lntc
