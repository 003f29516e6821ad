// The configuration as the administration commands see it: shown, dumped, changed, its history
// listed and restored.
#include "library/admin/admin.h"
#include "library/admin/change.h"
#include "library/admin/history.h"
#include "library/admin/yaml_text.h"
#include "library/library.h"
#include "platform/printable.h"
#include "store/models.h"
#include "store/records.h"

#include <ctime>

namespace lntc::admin {

namespace {

std::string isoTime(int64_t time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    localtime_r(&t, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    std::string s(text);
    // ISO 8601 writes the zone's offset with a colon.
    if (s.size() > 2) s.insert(s.size() - 2, ":");
    return s;
}

Document listRows(Library& lib, const ServerState& state) {
    Document rows = Document::array();
    for (const QueueRecord& q : state.queues) {
        const Document entry = QueueDocument(q, Form::Show);
        rows.push_back({{"Name", std::string(fieldText(q.Name))},
                        {"Model", ModelDisplayName(lib.strings(), ModelIndexOfQueue(q))},
                        {"Connectivity", entry.value("Connectivity", Document())},
                        {"DeviceName", std::string(fieldText(q.DeviceName))},
                        {"Description", std::string(fieldText(q.Description))}});
    }
    return rows;
}

std::string render(const Document& doc, bool yaml) {
    return yaml ? YamlText(doc) : doc.dump(2) + "\n";
}

} // namespace

uint32_t Describe(Library& lib, uint32_t form, const char* queue, std::string& out,
                  std::string& why) {
    ServerState state;
    if (!CurrentState(lib, state, why)) return LNTC_ADMIN_E_FAILED;
    const bool yaml = (form & LNTC_ADMIN_DOC_YAML) != 0;
    const uint32_t what = form & ~LNTC_ADMIN_DOC_YAML;
    if (what == LNTC_ADMIN_DOC_LIST) {
        out = render(listRows(lib, state), yaml);
        return 0;
    }
    const Form f = what == LNTC_ADMIN_DOC_DUMP ? Form::Dump : Form::Show;
    if (queue != nullptr) {
        for (const QueueRecord& q : state.queues) {
            if (fieldText(q.Name) == queue) {
                out = render(QueueDocument(q, f), yaml);
                return 0;
            }
        }
        why = "no queue " + quote(queue) + " is configured";
        return LNTC_E_NO_QUEUE;
    }
    Document doc = ServerDocument(state, f);
    if (f == Form::Show) {
        const uint32_t status = lib.records().initStatus();
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", status);
        doc["Status"] = {{"Code", code}, {"Text", StatusText(status)}};
    }
    out = render(doc, yaml);
    return 0;
}

uint32_t Change(Library& lib, std::string_view text, uint32_t flags, const char* source,
                std::vector<std::string>& plan, std::string& why) {
    ChangeRequest request;
    if (!ParseDocumentText(text, request.document, why)) return LNTC_ADMIN_E_FAILED;
    request.dryRun = (flags & LNTC_ADMIN_CHANGE_DRY_RUN) != 0;
    request.prune = (flags & LNTC_ADMIN_CHANGE_PRUNE) != 0;
    request.queues = (flags & LNTC_ADMIN_CHANGE_NEW_QUEUES) != 0 ? ChangeRequest::Queues::New
                     : (flags & LNTC_ADMIN_CHANGE_HELD_QUEUES) != 0
                         ? ChangeRequest::Queues::Existing
                         : ChangeRequest::Queues::Any;
    request.source = source != nullptr ? source : "lntc";
    ChangeOutcome outcome;
    const uint32_t rc = ChangeConfiguration(lib, request, outcome);
    plan = std::move(outcome.plan);
    why = std::move(outcome.why);
    return rc;
}

uint32_t HistoryText(Library& lib, uint32_t entry, std::string& out, std::string& why) {
    Registry& reg = lib.registry();
    auto entryDoc = [](const HistoryEntry& e) {
        return Document{{"Number", e.number},
                        {"Time", isoTime(e.time)},
                        {"User", e.user},
                        {"Source", e.source},
                        {"Changes", e.changes}};
    };
    if (entry == 0) {
        std::vector<HistoryEntry> entries;
        if (uint32_t rc = ListHistory(reg, kHistoryShown, entries)) {
            why = "the history could not be read: " + StatusText(rc);
            return LNTC_ADMIN_E_FAILED;
        }
        Document list = Document::array();
        for (const HistoryEntry& e : entries)
            list.push_back(entryDoc(e));
        out = list.dump(2) + "\n";
        return 0;
    }
    HistoryEntry e;
    if (ReadHistoryEntry(reg, entry, e) != 0) {
        why = "the history holds no change " + std::to_string(entry);
        return LNTC_ADMIN_E_FAILED;
    }
    out = entryDoc(e).dump(2) + "\n";
    return 0;
}

uint32_t Restore(Library& lib, uint32_t entry, uint32_t flags, std::vector<std::string>& plan,
                 std::string& why) {
    HistoryEntry e;
    if (ReadHistoryEntry(lib.registry(), entry, e) != 0 || e.state.empty()) {
        why = "the history holds no change " + std::to_string(entry);
        return LNTC_ADMIN_E_FAILED;
    }
    const std::string source = "restore " + std::to_string(entry);
    return Change(lib, e.state, (flags & LNTC_ADMIN_CHANGE_DRY_RUN) | LNTC_ADMIN_CHANGE_PRUNE,
                  source.c_str(), plan, why);
}

} // namespace lntc::admin
