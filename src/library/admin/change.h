// A change of the configuration described by a document: planned, held to the dialogs' rules,
// and applied whole (one registry batch, one update of the shared records) or not at all.
#pragma once
#include "library/admin/document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lntc {

class Library;

namespace admin {

struct ChangeRequest {
    // Its parts say what changes; a part left out stays as it is, a queue given as null goes.
    Document document;
    bool prune = false;  // queues the document does not name go as well
    bool dryRun = false; // plan only
    enum class Queues { Any, New, Existing } queues = Queues::Any; // what the named queues must be
    std::string source;                                            // for the history
};

struct ChangeOutcome {
    std::vector<std::string> plan; // empty: nothing to change
    std::string why;               // the refusal or the failure
};

// 0 when the change was applied, planned (dryRun) or there was nothing to change; otherwise
// LNTC_ADMIN_E_FAILED, nothing written, and why says why.
uint32_t ChangeConfiguration(Library& lib, const ChangeRequest& request, ChangeOutcome& out);

// The shared records as this process sees them, the hosts lines of their TCP Direct ports.
// False with why when they cannot be had.
bool CurrentState(Library& lib, ServerState& state, std::string& why);

} // namespace admin
} // namespace lntc
