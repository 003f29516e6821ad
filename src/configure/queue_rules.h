// The rules the dialogs hold a queue record and the general record to, for records that did
// not come through them (the command line, a file), and the Create of a new queue.
#pragma once
#include "library/services.h"
#include "lntc/lntc.h"

#include <string>

namespace lntc {

// The rules the dialogs hold a record to, for a record that did not come through them.
// Empty when it keeps every rule; else the message the dialog shows for the first rule it
// breaks, formatted as shown (e.g. the framework's "Please enter an integer between 0 and
// 1800." for WaitTimeout 1801), prefixed by nothing: the caller names queue and field.
// Only what the record's model class and connectivity use is checked; a rule that a dialog
// keeps by mending the value and saying so refuses the record with that message. Shows no
// box; the machine (spooler, TCP/IP service, directories, media tables) is asked through svc.
std::string CheckQueueRecord(const Services& svc, const QueueRecord& q);
std::string CheckServerConfig(const Services& svc, const ServerConfig& c);

// The Create of the main dialog: the model's defaults on a zero-filled record and the
// model's default media (as the media dialogs merge them), so that a queue created from the
// command line starts exactly as one created in the dialogs. The main dialog's Create uses it.
// A media table or file that cannot be read is logged, not shown.
void CreateQueueRecord(const Services& svc, int model, const std::string& name,
                       const std::string& description, QueueRecord& q);

} // namespace lntc
