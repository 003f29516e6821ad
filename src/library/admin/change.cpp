#include "library/admin/change.h"

#include "configure/configure.h"
#include "configure/queue_rules.h"
#include "connectivity/hosts_file.h"
#include "library/accessors.h"
#include "library/admin/admin.h"
#include "library/admin/history.h"
#include "library/admin/lntc_admin.h"
#include "library/admin/plan.h"
#include "library/library.h"
#include "platform/errors.h"
#include "platform/locks.h"
#include "platform/printable.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace lntc::admin {

namespace {

constexpr uint32_t kTcpDirect = 1;
// Two administrators' changes take turns: each plans from what the other left.
constexpr const char* kChangeLock = "configuration";
constexpr std::chrono::seconds kChangeLockWait{15};

std::string text(Library& lib, uint32_t id) {
    return lib.strings().load(id);
}

std::string odrNameOf(const ServerConfig& c) {
    const std::string domain(fieldText(c.Domain)), organization(fieldText(c.Organization));
    if (domain.empty() && organization.empty()) return {};
    return domain + ":" + organization;
}

// The model a queue entry asks for: a catalogue key, "OTHER" with its alias, or a key offered
// only as another model.
int requestedModel(const Document& entry, const QueueRecord* current) {
    auto stringAt = [&](const char* key) -> std::string {
        auto it = entry.find(key);
        return it != entry.end() && it->is_string() ? it->get<std::string>() : std::string();
    };
    std::string printer = stringAt("Printer");
    std::string alias = stringAt("PrinterAlias");
    if (printer.empty() && current != nullptr) {
        if (alias.empty()) return ModelIndexOfQueue(*current);
        printer = std::string(fieldText(current->Printer));
    }
    if (printer == "OTHER" && !alias.empty()) {
        const int model = ModelIndexOfKey(alias.c_str());
        if (model >= kFirstOtherModel) return model;
    }
    return ModelIndexOfKey(printer.c_str());
}

std::string saveFailure(Library& lib, const SaveStatus& status) {
    switch (status.kind) {
    case SaveStatus::NoFreeSlot:
        return formatMessage(text(lib, str::TooManyQueues).c_str(), LNTC_MAX_QUEUES);
    case SaveStatus::QueueNotFound:
        return "a queue was changed or deleted by another process meanwhile; nothing was changed";
    case SaveStatus::AlreadyHasSlot:
        return "a queue was created by another process meanwhile; nothing was changed";
    case SaveStatus::RegistryRefused:
    case SaveStatus::NotWritable:
        return systemErrorText(status.code);
    case SaveStatus::Done:
        break;
    }
    return {};
}

struct Planned {
    ServerState desired;
    RecordChanges changes;
    bool structural = false; // a queue created, deleted or given another model
    std::string odrName;     // when it changes
    std::map<std::string, std::string, std::less<>> hostsChanged;
};

// By the values a document shows: bytes past a text's end are no change.
bool configChanged(const ServerConfig& a, const ServerConfig& b) {
    ServerState x, y;
    x.config = a;
    y.config = b;
    const Document da = ServerDocument(x, Form::Dump), db = ServerDocument(y, Form::Dump);
    return da["General"] != db["General"] || da["Fonts"] != db["Fonts"];
}

bool planQueues(Library& lib, const ChangeRequest& request, const ServerState& current, Planned& p,
                std::string& why) {
    const Services svc = lib.services();
    const Document& doc = request.document;
    std::map<std::string, const QueueRecord*, std::less<>> held;
    for (const QueueRecord& q : current.queues)
        held[std::string(fieldText(q.Name))] = &q;
    std::set<std::string, std::less<>> named;
    std::vector<std::string> listed; // the ODR's queues for this server, asked once
    bool asked = false;

    const auto queues = doc.find("Queues");
    if (queues != doc.end() && !queues->is_null() && !queues->is_object()) {
        why = "Queues: not a mapping of queue names";
        return false;
    }
    if (queues != doc.end() && queues->is_object()) {
        for (auto it = queues->begin(); it != queues->end(); ++it) {
            const std::string& name = it.key();
            const Document& entry = it.value();
            named.insert(name);
            const auto found = held.find(name);
            const QueueRecord* current = found != held.end() ? found->second : nullptr;
            const std::string shown = quote(name);
            if (request.queues == ChangeRequest::Queues::New && current != nullptr) {
                why = "queue " + shown + " is configured already";
                return false;
            }
            if (current == nullptr && request.queues == ChangeRequest::Queues::Existing) {
                why = "no queue " + shown + " is configured";
                return false;
            }
            // A file that deletes a queue deletes nothing the second time it is applied.
            if (entry.is_null() && current == nullptr) continue;
            if (entry.is_null()) {
                p.changes.deleted.push_back(name);
                p.structural = true;
                continue;
            }
            if (!entry.is_object()) {
                why = "queue " + shown + ": not a mapping of values";
                return false;
            }
            const int model = requestedModel(entry, current);
            if (model < 0) {
                const auto printer = entry.find("Printer");
                why = "queue " + shown + ": " +
                      (printer == entry.end()
                           ? std::string("a new queue needs its Printer (a model keyword)")
                           : "Printer: not a model keyword of the catalogue: " +
                                 quote(printer->is_string() ? printer->get<std::string>()
                                                            : printer->dump()));
                return false;
            }
            QueueRecord record{};
            bool isNew = current == nullptr;
            if (current != nullptr && ModelIndexOfQueue(*current) == model) {
                record = *current;
            } else {
                if (current == nullptr) {
                    if (!QueueNameUsable(name)) {
                        why = "queue " + shown + ": not a name a queue can have";
                        return false;
                    }
                    if (!asked) {
                        asked = true;
                        const std::string odr = odrNameOf(p.desired.config);
                        if (odr.empty()) {
                            why = "no ODR name is configured: new queues are the ODR's queues "
                                  "for this print server";
                            return false;
                        }
                        if (uint32_t rc = FetchOdrQueueNames(svc, odr, "", listed)) {
                            why = "the ODR " + quote(odr) +
                                  " could not be asked for its queues: " + StatusText(rc);
                            return false;
                        }
                    }
                    if (std::find(listed.begin(), listed.end(), name) == listed.end()) {
                        why = "queue " + shown + ": the ODR does not list it for this print server";
                        return false;
                    }
                } else {
                    // Another model: the queue starts afresh, as the dialogs reinitialise it.
                    p.changes.deleted.push_back(name);
                }
                const auto description = entry.find("Description");
                CreateQueueRecord(svc, model, name,
                                  description != entry.end() && description->is_string()
                                      ? description->get<std::string>()
                                      : std::string(current ? fieldText(current->Description)
                                                            : std::string_view()),
                                  record);
                isNew = true;
                p.structural = true;
            }
            // The model is settled: the record holds its printer and alias as the dialogs keep
            // them ("OTHER" with the alias for a model offered only as another).
            Document values = entry;
            values.erase("Printer");
            values.erase("PrinterAlias");
            if (!ReadQueueValues(values, name, record, why)) return false;
            // A queue left as it is is not held to rules it may have been saved before.
            const bool same =
                current != nullptr && !isNew &&
                QueueDocument(*current, Form::Dump) == QueueDocument(record, Form::Dump);
            if (same) continue;
            if (std::string broken = CheckQueueRecord(svc, record); !broken.empty()) {
                why = "queue " + shown + ": " + broken;
                return false;
            }
            p.changes.saved.push_back({record, isNew});
        }
    }
    if (request.prune) {
        for (const auto& [name, q] : held) {
            if (named.count(name) == 0) {
                p.changes.deleted.push_back(name);
                p.structural = true;
            }
        }
    }

    // The queues as they will be, in slot order with new ones after.
    std::vector<QueueRecord> queues_;
    for (const QueueRecord& q : current.queues) {
        const std::string name(fieldText(q.Name));
        const bool gone = std::find(p.changes.deleted.begin(), p.changes.deleted.end(), name) !=
                          p.changes.deleted.end();
        auto saved = std::find_if(
            p.changes.saved.begin(), p.changes.saved.end(),
            [&](const RecordChanges::Save& s) { return fieldText(s.record.Name) == name; });
        if (saved != p.changes.saved.end())
            queues_.push_back(saved->record);
        else if (!gone)
            queues_.push_back(q);
    }
    for (const RecordChanges::Save& s : p.changes.saved) {
        if (!held.count(fieldText(s.record.Name))) queues_.push_back(s.record);
    }
    p.desired.queues = std::move(queues_);
    return true;
}

// Four decimal bytes, as the address control yields them.
bool dottedAddress(const std::string& text) {
    int parts = 0;
    size_t i = 0;
    while (i <= text.size() && parts < 4) {
        size_t j = i;
        unsigned value = 0;
        while (j < text.size() && j - i < 3 && text[j] >= '0' && text[j] <= '9')
            value = value * 10 + static_cast<unsigned>(text[j++] - '0');
        if (j == i || value > 255) return false;
        ++parts;
        if (j == text.size()) return parts == 4;
        if (text[j] != '.') return false;
        i = j + 1;
    }
    return false;
}

bool planHosts(const ChangeRequest& request, Planned& p, std::string& why) {
    const Document& doc = request.document;
    const auto hosts = doc.find("Hosts");
    if (hosts == doc.end() || hosts->is_null()) return true;
    if (!hosts->is_object()) {
        why = "Hosts: not a mapping of port names to addresses";
        return false;
    }
    for (auto it = hosts->begin(); it != hosts->end(); ++it) {
        if (!it.value().is_string()) {
            why = "Hosts: " + quote(it.key()) + ": not an address";
            return false;
        }
        const std::string address = it.value().get<std::string>();
        if (!dottedAddress(address)) {
            why =
                "Hosts: " + quote(it.key()) + ": " + quote(address) + " is not an address a.b.c.d";
            return false;
        }
        auto held = p.desired.hosts.find(it.key());
        if (held != p.desired.hosts.end() && held->second == address) continue;
        p.desired.hosts[it.key()] = address;
        p.hostsChanged[it.key()] = address;
    }
    return true;
}

bool planGeneral(Library& lib, const ChangeRequest& request, Planned& p, std::string& why) {
    const Document& doc = request.document;
    if (!ReadConfigValues(doc, p.desired.config, why)) return false;
    if (configChanged(*lib.records().config(), p.desired.config)) {
        if (std::string broken = CheckServerConfig(lib.services(), p.desired.config);
            !broken.empty()) {
            why = broken;
            return false;
        }
    }
    const auto odr = doc.find("ODR");
    if (odr == doc.end() || odr->is_null()) return true;
    if (!odr->is_string()) {
        why = "ODR: not a name";
        return false;
    }
    std::string name = odr->get<std::string>();
    // As the main dialog completes a name typed without its organization.
    if (name.find(':') == std::string::npos) name += ":Quendal";
    if (name == odrNameOf(p.desired.config)) return true;
    std::vector<std::string> names;
    if (uint32_t rc = FetchOdrQueueNames(lib.services(), name, "", names)) {
        why = "ODR: " + quote(name) + ": " + text(lib, str::InvalidOdrName) + " (" +
              StatusText(rc) + ")";
        return false;
    }
    const size_t colon = name.find(':');
    const std::string organization = name.substr(colon + 1);
    setField(p.desired.config.Domain, name.substr(0, colon));
    setField(p.desired.config.Organization, organization.substr(0, organization.find(':')));
    p.odrName = name;
    return true;
}

uint32_t failed(ChangeOutcome& out, std::string why) {
    out.why = std::move(why);
    return LNTC_ADMIN_E_FAILED;
}

} // namespace

bool CurrentState(Library& lib, ServerState& state, std::string& why) {
    const ServerConfig* config = nullptr;
    const uint32_t rc = GetConfig(lib, &config, LNTC_CONFIG_VERSION);
    if (config == nullptr || lib.records().slots() == nullptr) {
        why = "the shared configuration could not be set up: " + systemErrorText(rc);
        return false;
    }
    state = StateOf(lib, *config, lib.records().slots());
    return true;
}

uint32_t ChangeConfiguration(Library& lib, const ChangeRequest& request, ChangeOutcome& out) {
    out = ChangeOutcome{};
    if (!request.document.is_object()) return failed(out, "the document is not a mapping");
    for (auto it = request.document.begin(); it != request.document.end(); ++it) {
        static const std::set<std::string> parts{"General", "Fonts", "ODR", "Queues", "Hosts"};
        if (!parts.count(it.key()))
            return failed(out, quote(it.key()) + ": not a part of the configuration (" +
                                   "General, Fonts, ODR, Queues, Hosts)");
    }
    const Services svc = lib.services();
    std::unique_ptr<FileLocks::Held> lock;
    if (!request.dryRun) {
        if (lib.registryReadOnly())
            return failed(out, "the registry may not be written by this user");
        if (FileLocks* locks = lib.platform().locks) {
            const uint32_t rc = locks->acquire(kChangeLock, kChangeLockWait, lock);
            if (rc != 0)
                return failed(out, rc == err::LockViolation
                                       ? "another change of the configuration is still running"
                                       : "the configuration's lock: " + systemErrorText(rc));
        }
    }

    ServerState current;
    if (!CurrentState(lib, current, out.why)) return LNTC_ADMIN_E_FAILED;
    Planned p;
    p.desired = current;
    std::string why;
    if (!planGeneral(lib, request, p, why) || !planQueues(lib, request, current, p, why) ||
        !planHosts(request, p, why))
        return failed(out, why);

    // The dialogs refuse these while the administrator program runs; so does every change.
    if ((p.structural || !p.odrName.empty()) && AdministratorRunning(svc)) {
        const uint32_t id = !p.odrName.empty() ? str::AdminOdrName
                            : !p.changes.deleted.empty() && p.changes.saved.empty()
                                ? str::AdminDelete
                                : str::AdminNewQueue;
        return failed(out, text(lib, id));
    }

    const Document before = ServerDocument(current, Form::Dump);
    const Document after = ServerDocument(p.desired, Form::Dump);
    out.plan = PlanLines(before, after);
    if (out.plan.empty() || request.dryRun) return 0;

    if (configChanged(current.config, p.desired.config) || !p.odrName.empty())
        p.changes.config = p.desired.config;
    // The hosts lines go first and come back when the registry refuses the rest: the old
    // address where there was one, no line where there was none.
    std::map<std::string, std::optional<std::string>, std::less<>> previous;
    auto putBack = [&] {
        for (const auto& [name, was] : previous)
            was ? UpdateHostsFile(svc, nullptr, *was, name) : RemoveHostsName(svc, name);
    };
    for (const auto& [port, address] : p.hostsChanged) {
        std::string old;
        previous[port] =
            LookupHostsName(svc, port, old) ? std::optional(old) : std::optional<std::string>();
        if (uint32_t rc = UpdateHostsFile(svc, nullptr, address, port)) {
            previous.erase(port);
            putBack();
            return failed(out, "the hosts file: " + systemErrorText(rc) + "; nothing was changed");
        }
    }

    History* history = lib.history();
    if (history != nullptr) history->expect(out.plan, after);
    const std::string odrName = p.odrName;
    if (!odrName.empty()) {
        p.changes.alsoWrite = [odrName](RegistryRoot& root) -> uint32_t {
            Registry& reg = root.registry();
            RegKey key = kNoKey;
            if (uint32_t rc = reg.createKey(kLocalMachine, kOdrRootPath, RegAccess::Write, key))
                return rc;
            KeyGuard guard(reg, key);
            return reg.setValue(key, "RLKDomain", regtype::Sz, odrName.c_str(),
                                static_cast<uint32_t>(odrName.size() + 1));
        };
    }
    const SaveStatus status = lib.records().SaveChanges(p.changes, request.source);
    if (history != nullptr) history->forget();
    if (!status.ok()) {
        putBack();
        return failed(out, saveFailure(lib, status));
    }
    if (!odrName.empty()) {
        lib.records().applyOdrName(fieldText(p.desired.config.Domain),
                                   fieldText(p.desired.config.Organization));
    }
    return 0;
}

} // namespace lntc::admin
