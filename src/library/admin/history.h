// The history of the configuration's changes, kept in the registry beside the product's tree and
// written in the batch of the change it describes.
#pragma once
#include "library/admin/document.h"
#include "platform/registry.h"
#include "store/shared_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

class Library;

namespace admin {

inline constexpr const char* kHistoryPath = "SOFTWARE\\Quendal\\PrintServer\\History";
// Entries kept; older ones go in the batch of the change that passes this count.
inline constexpr uint32_t kHistoryKept = 200;
// Entries the history lists.
inline constexpr uint32_t kHistoryShown = 50;

struct HistoryEntry {
    uint32_t number = 0;
    int64_t time = 0;
    std::string user, source;
    std::vector<std::string> changes; // plan lines
    std::string state;                // the configuration after the change, as JSON
};

// The state as the slots and the hosts file hold it: the used slots in slot order and the hosts
// lines of the TCP Direct queues' port names.
ServerState StateOf(Library& lib, const ServerConfig& config, const QueueRecord* slots);

class History : public ChangeJournal {
  public:
    explicit History(Library& lib) : lib_(lib) {}
    // The next change's account, when its maker knows better than the records can say (the hosts
    // lines a change rewrites before its batch).
    void expect(std::vector<std::string> lines, const Document& state);
    void forget() { expected_.reset(); }

    uint32_t record(RegistryRoot& root, std::string_view source, const ServerConfig& before,
                    const QueueRecord* beforeSlots, const ServerConfig& after,
                    const QueueRecord* afterSlots) override;

  private:
    struct Expected {
        std::vector<std::string> lines;
        std::string state;
    };
    Library& lib_;
    std::optional<Expected> expected_;
};

// Newest first, at most limit entries, without their states. 0 or the registry's error.
uint32_t ListHistory(Registry& reg, uint32_t limit, std::vector<HistoryEntry>& out);
// One entry with its state; 2 when there is no such entry.
uint32_t ReadHistoryEntry(Registry& reg, uint32_t number, HistoryEntry& out);
// Writes an entry, dropping the oldest past kHistoryKept; state empty for a change whose result
// is not a configuration (a registry import). Inside the caller's batch.
uint32_t AppendHistoryEntry(Registry& reg, int64_t now, std::string_view source,
                            const std::vector<std::string>& lines, const std::string& state);
// Who made a change: the login name, with the name sudo was called by.
std::string ChangeUser();

} // namespace admin
} // namespace lntc
