// The configuration as a readable tree: the records' values by their registry names, keyword
// fields by keyword, trays by paper and priority, times with their zone. What `dump` writes and
// `apply` reads; the same tree is the JSON of `show --json`.
#pragma once
#include "lntc/lntc.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lntc::admin {

using Document = nlohmann::ordered_json;

// Show adds the values the library fills itself and those no save writes; Dump holds only what
// can be set, so that a dump applied again changes nothing.
enum class Form { Show, Dump };

struct ServerState {
    ServerConfig config;
    std::vector<QueueRecord> queues;                       // the used slots, in slot order
    std::map<std::string, std::string, std::less<>> hosts; // port name -> address
};

// One queue's entry, keyed by registry name (the Show form also names the queue).
Document QueueDocument(const QueueRecord& q, Form form);
// General, Fonts, ODR ("Domain:Organization"), Queues by name, Hosts.
Document ServerDocument(const ServerState& s, Form form);

// Sets on the record what the entry names. The values the library fills and ImageHardware are
// ignored. Nothing is set unless every value is right; otherwise false, with why naming the
// queue and field ("queue LASER_A: WaitTimeout: not a number: 'abc'"). Numbers may come as
// strings, trays as "LEGAL, 2", {Paper: LEGAL, Priority: 2} or none, keyword fields by keyword
// or by their number, "none" for no entry of the table.
bool ReadQueueValues(const Document& entry, const std::string& queueName, QueueRecord& q,
                     std::string& why);
// The General and Fonts parts of a whole document onto the record (all or nothing); ODR, Queues
// and Hosts are the caller's. A top-level part of another name is refused.
bool ReadConfigValues(const Document& doc, ServerConfig& c, std::string& why);

} // namespace lntc::admin
