// Named shared-memory sections and named events, machine-wide.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lntc {

// One part of a unit of shared memory: its name and size in bytes.
struct SectionPart {
    std::string name;
    size_t size;
};

// One open unit of named shared memory: one or more parts that are created, filled and
// removed together, so that no process ever sees one part without the others. The unit stays
// alive while some process holds it open; the last process out removes every part, and a unit
// whose holders all died is created afresh on the next open.
class Section {
  public:
    virtual ~Section() = default;
    virtual size_t partSize(size_t part) const = 0;
    // Maps a view of a part. A read-only view is mapped without write permission: a write
    // faults.
    virtual void* mapPart(size_t part, bool writable, uint32_t& error) = 0;
    virtual void unmapPart(size_t part, void* view) = 0;

    size_t size() const { return partSize(0); }
    void* mapView(bool writable, uint32_t& error) { return mapPart(0, writable, error); }
    void unmapView(void* view) { unmapPart(0, view); }

    // Fill coordination. The process whose open created the unit holds the fill lock until
    // markFilled(); others wait for it with waitFilled().
    enum class FillState { Filled, MustFill, StillFilling };
    // Filled: the contents are complete. MustFill: the filler died before finishing and this
    // process now holds the fill lock and must fill, then call markFilled(). StillFilling:
    // the filler is alive but did not finish within the timeout.
    virtual FillState waitFilled(std::chrono::milliseconds timeout) = 0;
    virtual void markFilled() = 0;

    // Whether another handle (another process) holds the unit open too. A backend that cannot
    // tell says true, so that nobody is told their change is about to vanish when it is not.
    virtual bool heldElsewhere() { return true; }
};

// A mapped view of one part, unmapped when it goes.
template <typename T> class SectionView {
  public:
    SectionView() = default;
    SectionView(Section& section, size_t part, bool writable, uint32_t& error)
        : section_(&section), part_(part),
          view_(static_cast<T*>(section.mapPart(part, writable, error))) {}
    SectionView(SectionView&& other) noexcept { *this = std::move(other); }
    SectionView& operator=(SectionView&& other) noexcept {
        if (this != &other) {
            reset();
            section_ = std::exchange(other.section_, nullptr);
            part_ = other.part_;
            view_ = std::exchange(other.view_, nullptr);
        }
        return *this;
    }
    SectionView(const SectionView&) = delete;
    SectionView& operator=(const SectionView&) = delete;
    ~SectionView() { reset(); }

    T* get() const { return view_; }
    explicit operator bool() const { return view_ != nullptr; }
    void reset() {
        if (view_ != nullptr) section_->unmapPart(part_, view_);
        view_ = nullptr;
    }

  private:
    Section* section_ = nullptr;
    size_t part_ = 0;
    T* view_ = nullptr;
};

class Sections {
  public:
    virtual ~Sections() = default;
    // Creates the unit of these parts or opens the existing one; the unit is known by the name
    // of its first part. created tells which happened; a creator holds the fill lock (see
    // Section). On failure, failedPart (when given) tells which part failed.
    virtual uint32_t openUnit(const std::vector<SectionPart>& parts, std::unique_ptr<Section>& out,
                              bool& created, size_t* failedPart = nullptr) = 0;
    // A unit of one part.
    uint32_t open(const std::string& name, size_t size, std::unique_ptr<Section>& out,
                  bool& created) {
        return openUnit({{name, size}}, out, created);
    }

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
