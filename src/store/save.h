// Writing records back to the registry and into the shared sections.
#pragma once
#include "lntc/lntc.h"
#include "ui/host.h"

namespace lntc {

class Library;

// Writes the values of the queue's model class in one batch and, once the registry has taken
// them all, copies the record into its slot (a new queue takes the first free slot). 0; -1
// after a message when no slot fits, or logged when a new queue's name is already in a slot;
// the store's error code after a message when the registry did not take the values. On a
// failure the record and the slot stay as they were.
int SaveQueueRecord(Library& lib, QueueRecord& queue, bool isNew, WindowRef owner = nullptr);
// Deletes the queue's key and then frees its slot. 0; the store's error code after a message
// when the key stays (the slot stays too); -1 after a message when no slot has the name.
int DeleteQueueRecord(Library& lib, const char* name, WindowRef owner = nullptr);
// Writes the general and font values in one batch and, once the registry has taken them, sets
// the record's UpdateTime and copies it into the shared one. 0, or the store's error code with
// the record and the shared one as they were; the caller tells the user.
int SaveServerConfig(Library& lib, ServerConfig& config);

} // namespace lntc
