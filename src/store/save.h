// Writing records back to the registry and into the shared sections.
#pragma once
#include "lntc/lntc.h"
#include "ui/host.h"

namespace lntc {

class Library;

// Writes the values of the queue's model class and copies the record into its slot (a new
// queue takes the first free slot). 0, or -1 after a message when no slot fits.
int SaveQueueRecord(Library& lib, QueueRecord& queue, bool isNew, WindowRef owner = nullptr);
// Deletes the queue's key and frees its slot. 0, or -1 after a message when no slot has it.
int DeleteQueueRecord(Library& lib, const char* name, WindowRef owner = nullptr);
// Writes the general and font values and copies the record into the shared one.
int SaveServerConfig(Library& lib, ServerConfig& config);

} // namespace lntc
