// The two shared sections as this process holds them, and everything that writes into them:
// the first fill, the writable views of a configuration run, the saves and the retain flag.
#pragma once
#include "lntc/lntc.h"
#include "platform/sections.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

class Clock;
class Environment;
class ProductLibs;
class RegistryRoot;
class StringLookup;

// What the fill and the saves work with besides the sections.
struct StoreServices {
    RegistryRoot& registry;
    ProductLibs& product;        // the name service, the cross-process areas, the logs
    const StringLookup& strings; // the texts of the log messages
    Clock& clock;
    Environment& env; // the search-path rule changes the process's PATH
};

// What a save or a deletion came to. Only Done changed anything; any other leaves the registry,
// the slots and the caller's record as they were.
struct SaveStatus {
    enum Kind : uint8_t {
        Done,
        NoFreeSlot,      // a new queue, and every slot is in use
        QueueNotFound,   // no slot holds the queue's name
        AlreadyHasSlot,  // a new queue whose name a slot holds already (logged)
        RegistryRefused, // the registry did not take the change; code says why
        NotWritable,     // no writable view of the records could be had; code says why
    };
    Kind kind = Done;
    uint32_t code = 0; // the platform's error with RegistryRefused and NotWritable
    bool ok() const { return kind == Done; }
};

// A set of changes that land together: one registry batch, then one update of the slots.
struct RecordChanges {
    struct Save {
        QueueRecord record;
        bool isNew = false;
    };
    std::vector<std::string> deleted;   // queues whose keys and slots go first
    std::vector<Save> saved;            // then these, a new one in the first free slot
    std::optional<ServerConfig> config; // the general and font values, when they change
    // Further writes that belong to the change, made in its batch (the ODR name's value).
    std::function<uint32_t(RegistryRoot&)> alsoWrite;
};

// Told of every change inside its registry batch, so that its account lands with it or not at
// all. source says what made the change ("dialogs", "apply FILE").
class ChangeJournal {
  public:
    virtual ~ChangeJournal() = default;
    // The records as they are and as they will be once the batch lands. 0 lets the change go
    // on; any other code rolls it back.
    virtual uint32_t record(RegistryRoot& root, std::string_view source, const ServerConfig& before,
                            const QueueRecord* beforeSlots, const ServerConfig& after,
                            const QueueRecord* afterSlots) = 0;
};

class SharedRecords {
  public:
    SharedRecords(const StoreServices& services, Sections& sections);
    ~SharedRecords();
    SharedRecords(const SharedRecords&) = delete;
    SharedRecords& operator=(const SharedRecords&) = delete;

    // Creates or opens both sections as one unit. The process that created them fills them;
    // another waits for that fill, and takes it over when its filler died. Afterwards only
    // read-only views stand. 0, 0xCF190003, or the name service's code from the fill; the
    // result is kept as initStatus().
    uint32_t initialise();
    // Whether this process holds the sections (its set-up got that far).
    bool attached() const { return sections_ != nullptr; }
    uint32_t initStatus() const { return initStatus_; }
    // Whether another process holds the sections too, so that what is written only there
    // outlives this one. False while this process holds none.
    bool heldElsewhere() const { return sections_ != nullptr && sections_->heldElsewhere(); }
    // Unload: logs a marker another module destroyed, then lets go of views and sections.
    void release();

    // The standing read-only views; null while this process holds none.
    const ServerConfig* config() const { return config_.get(); }
    const QueueRecord* slots() const { return queues_.get(); }

    // A configuration run writes through writable views of both sections, mapped here and
    // released by endRun. False (logged) when they cannot be mapped; nothing is then mapped.
    bool beginRun();
    void endRun();

    // The saves write the registry only once they hold the slot they will update, so that a
    // registry that changed always comes with a slot that did.
    //
    // Writes the values of the queue's model class in one batch and, once the registry has
    // taken them all, copies the record (with its new time stamp and module name) into its
    // slot: a new queue takes the first free one and counts in QueueCount.
    SaveStatus SaveQueueRecord(QueueRecord& queue, bool isNew);
    // Deletes the queue's key and then frees its slot. When the key stays, the slot stays too;
    // a name no slot holds deletes nothing.
    SaveStatus DeleteQueueRecord(const char* name);
    // Writes the general and font values in one batch and, once the registry has taken them,
    // stamps the record and copies it over the shared one (keeping its QueueCount).
    SaveStatus SaveServerConfig(ServerConfig& config);
    // Every change of the set or none: the slots each needs are found first, then the registry
    // takes them all in one batch with the journal's account, then the slots are updated. On
    // Done the saved records carry their time stamps and module names. The three saves above
    // are sets of one, made by the dialogs.
    SaveStatus SaveChanges(RecordChanges& changes, std::string_view source);
    // The journal every change is told to (none by default); it must outlive the records.
    void setJournal(ChangeJournal* journal) { journal_ = journal; }
    // Sets (retain) or clears the queue's retain-files bit in shared memory only, with a new
    // time stamp. 0, LNTC_E_NO_QUEUE, or LNTC_E_SECTION when no view can be mapped.
    uint32_t RetainFiles(const char* name, bool retain);
    // Puts the ODR name's parts into the shared general record and reads that ODR's system
    // defaults into it. False when there is no record to write.
    bool applyOdrName(std::string_view domain, std::string_view organization);

  private:
    // The run's views while one runs, else views mapped for the length of one write.
    struct Writable {
        ServerConfig* config = nullptr;
        QueueRecord* slots = nullptr;
        SectionView<ServerConfig> ownConfig;
        SectionView<QueueRecord> ownQueues;
        uint32_t error = 0; // why a view is missing
        bool ok() const { return config != nullptr && slots != nullptr; }
    };
    Writable writable();
    // Maps a part, logging a failure.
    template <typename T> bool map(size_t part, bool writable, SectionView<T>& out);
    void logOpenFailure(uint32_t rc, size_t failedPart);
    Section::FillState awaitFill(Section& unit);
    uint32_t releaseOnFailure();

    StoreServices services_;
    Sections& sectionService_;
    // Both sections as one unit, created and released together: the general record is part 0,
    // the queue slots part 1.
    std::unique_ptr<Section> sections_;
    SectionView<ServerConfig> config_;
    SectionView<QueueRecord> queues_;
    SectionView<ServerConfig> runConfig_;
    SectionView<QueueRecord> runQueues_;
    uint32_t initStatus_ = 0;
    ChangeJournal* journal_ = nullptr;
    // How long an attaching process waits for another one's first fill: after the first
    // period it says so in the log, after the second it gives up.
    std::chrono::milliseconds fillWait_{10000};
    std::chrono::milliseconds fillGiveUp_{60000};
};

} // namespace lntc
