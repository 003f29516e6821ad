// Queues, the configuration as a file, its history: the administrator's commands.
#include "commands.h"
#include "common/admin_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace tool {

namespace {

using Json = nlohmann::ordered_json;

// Bigger than any configuration of 16 queues by far, small enough to read at once.
constexpr size_t kMaxDocument = 4u << 20;

int failedWith(const std::string& command, uint32_t status, LNTC_AdminText& why) {
    std::string text = take(why);
    if (text.empty()) text = statusText(status);
    std::fprintf(stderr, "lntc %s: %s\n", command.c_str(), text.c_str());
    return 1;
}

bool documentOf(uint32_t form, const char* queue, std::string& out, const std::string& command,
                int& exit) {
    startLibrary();
    LNTC_AdminText text{}, why{};
    const uint32_t rc = LNTC_AdminDocument(LNTC_ADMIN_VERSION, form, queue, &text, &why);
    out = take(text);
    if (rc == 0) {
        take(why);
        return true;
    }
    exit = failedWith(command, rc, why);
    return false;
}

// A document from a file, or standard input for "-"; bounded.
bool readDocument(const std::string& path, std::string& out, std::string& why) {
    std::istream* in = &std::cin;
    std::ifstream file;
    if (path != "-") {
        file.open(path, std::ios::binary);
        if (!file) {
            why = quote(path) + ": cannot be read";
            return false;
        }
        in = &file;
    }
    out.clear();
    char buffer[65536];
    while (in->read(buffer, sizeof buffer) || in->gcount() > 0) {
        out.append(buffer, static_cast<size_t>(in->gcount()));
        if (out.size() > kMaxDocument) {
            why = quote(path) + ": larger than " + std::to_string(kMaxDocument >> 20) + " MiB";
            return false;
        }
    }
    if (in->bad()) {
        why = quote(path) + ": read error";
        return false;
    }
    return true;
}

enum class Plan { Apply, DryRun, DryRunExitCode };

// Sends a change to the library and tells what it came to; the exit status says it too.
int change(const std::string& command, const std::string& document, uint32_t flags, Plan plan,
           const std::string& source) {
    startLibrary();
    if (plan != Plan::Apply) flags |= LNTC_ADMIN_CHANGE_DRY_RUN;
    LNTC_AdminText lines{}, why{};
    const uint32_t rc = LNTC_AdminChange(LNTC_ADMIN_VERSION, document.data(), document.size(),
                                         flags, source.c_str(), &lines, &why);
    const std::string planned = take(lines);
    if (rc != 0) {
        const int exit = failedWith(command, rc, why);
        std::fprintf(stderr, "lntc %s: nothing was changed\n", command.c_str());
        return exit;
    }
    take(why);
    std::fputs(planned.c_str(), stdout);
    const long count = std::count(planned.begin(), planned.end(), '\n');
    if (count == 0) {
        std::printf("No changes: the configuration is already as asked.\n");
        return 0;
    }
    if (plan != Plan::Apply) {
        std::printf("Dry run: %ld change%s planned, nothing was changed.\n", count,
                    count == 1 ? "" : "s");
        return plan == Plan::DryRunExitCode ? 1 : 0;
    }
    std::printf("Applied %ld change%s.\n", count, count == 1 ? "" : "s");
    return 0;
}

// "VALUE=DATA" arguments as a queue entry; false (said why) for one without "=".
bool valuesOf(const std::string& command, const std::vector<std::string>& args, Json& entry) {
    for (const std::string& a : args) {
        const size_t eq = a.find('=');
        if (eq == std::string::npos || eq == 0) {
            std::fprintf(stderr, "lntc %s: %s is not VALUE=DATA\n", command.c_str(),
                         quote(a).c_str());
            return false;
        }
        entry[a.substr(0, eq)] = a.substr(eq + 1);
    }
    return true;
}

// Options before and among the values; the rest in order.
struct Parsed {
    std::vector<std::string> rest;
    std::string model, description, address;
    bool hasDescription = false, json = false, yes = false, dryRun = false;
};

bool parse(const std::string& command, const Args& args, Parsed& p,
           std::initializer_list<const char*> allowed) {
    auto allows = [&](const char* option) {
        return std::find_if(allowed.begin(), allowed.end(), [&](const char* a) {
                   return std::string(a) == option;
               }) != allowed.end();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        bool ok = true;
        if (a == "--model" && allows("--model"))
            ok = value(p.model);
        else if (a == "--description" && allows("--description"))
            ok = (p.hasDescription = value(p.description));
        else if (a == "--address" && allows("--address"))
            ok = value(p.address);
        else if (a == "--json" && allows("--json"))
            p.json = true;
        else if (a == "--yes" && allows("--yes"))
            p.yes = true;
        else if (a == "--dry-run" && allows("--dry-run"))
            p.dryRun = true;
        else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "lntc %s: unknown option %s\n", command.c_str(), quote(a).c_str());
            return false;
        } else
            p.rest.push_back(a);
        if (!ok) {
            std::fprintf(stderr, "lntc %s: %s needs a value\n", command.c_str(), a.c_str());
            return false;
        }
    }
    return true;
}

std::string padded(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

int queueList(const Args& args) {
    Parsed p;
    if (!parse("queue list", args, p, {"--json"}) || !p.rest.empty()) return usageError();
    std::string text;
    int exit = 0;
    if (!documentOf(LNTC_ADMIN_DOC_LIST, nullptr, text, "queue list", exit)) return exit;
    sayMachineRoot(p.json);
    if (p.json) {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    const Json rows = Json::parse(text);
    const char* columns[] = {"Name", "Model", "Connectivity", "DeviceName", "Description"};
    const char* headers[] = {"NAME", "MODEL", "CONNECTIVITY", "DEVICE", "DESCRIPTION"};
    size_t width[5];
    for (size_t c = 0; c < 5; ++c) {
        width[c] = std::string(headers[c]).size();
        for (const Json& row : rows)
            width[c] = std::max(width[c], printable(row.value(columns[c], "")).size());
    }
    std::string line;
    for (size_t c = 0; c < 5; ++c)
        line += c + 1 < 5 ? padded(headers[c], width[c] + 2) : headers[c];
    std::printf("%s\n", line.c_str());
    for (const Json& row : rows) {
        line.clear();
        for (size_t c = 0; c < 5; ++c) {
            const std::string cell = printable(row.value(columns[c], ""));
            line += c + 1 < 5 ? padded(cell, width[c] + 2) : cell;
        }
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int queueShow(const Args& args) {
    Parsed p;
    if (!parse("queue show", args, p, {"--json"}) || p.rest.size() != 1) return usageError();
    std::string text;
    int exit = 0;
    const uint32_t form = LNTC_ADMIN_DOC_SHOW | (p.json ? 0 : LNTC_ADMIN_DOC_YAML);
    if (!documentOf(form, p.rest[0].c_str(), text, "queue show", exit)) return exit;
    if (!p.json) std::printf("Queue %s\n", printable(p.rest[0]).c_str());
    std::fputs(text.c_str(), stdout);
    return 0;
}

int queueAdd(const Args& args) {
    Parsed p;
    if (!parse("queue add", args, p, {"--model", "--description", "--address", "--dry-run"}) ||
        p.rest.empty() || p.model.empty())
        return usageError();
    const std::string name = p.rest[0];
    Json entry = Json::object();
    entry["Printer"] = p.model;
    if (p.hasDescription) entry["Description"] = p.description;
    if (!valuesOf("queue add", Args(p.rest.begin() + 1, p.rest.end()), entry)) return 2;
    Json doc = {{"Queues", {{name, entry}}}};
    if (!p.address.empty()) {
        const std::string port = entry.value("DeviceName", "");
        if (port.empty() || entry.value("Connectivity", "") != "TCP_DIRECT")
            return usageError("--address needs Connectivity=TCP_DIRECT and DeviceName=PORT");
        doc["Hosts"] = {{port, p.address}};
    }
    return change("queue add", doc.dump(), LNTC_ADMIN_CHANGE_NEW_QUEUES,
                  p.dryRun ? Plan::DryRun : Plan::Apply, "queue add " + name);
}

int queueSet(const Args& args) {
    Parsed p;
    if (!parse("queue set", args, p, {"--address", "--dry-run"}) || p.rest.empty() ||
        (p.rest.size() < 2 && p.address.empty()))
        return usageError();
    const std::string name = p.rest[0];
    Json entry = Json::object();
    if (!valuesOf("queue set", Args(p.rest.begin() + 1, p.rest.end()), entry)) return 2;
    Json doc = {{"Queues", {{name, entry}}}};
    if (!p.address.empty()) {
        // The port's hosts line: the port the queue will have, on a TCP Direct queue.
        std::string text;
        int exit = 0;
        if (!documentOf(LNTC_ADMIN_DOC_DUMP, name.c_str(), text, "queue set", exit)) return exit;
        const Json held = Json::parse(text);
        const std::string port = entry.value("DeviceName", held.value("DeviceName", ""));
        const std::string connectivity =
            entry.value("Connectivity", held.value("Connectivity", ""));
        if (connectivity != "TCP_DIRECT" || port.empty()) {
            std::fprintf(stderr, "lntc queue set: --address is for a TCP Direct queue's port "
                                 "name (Connectivity=TCP_DIRECT, DeviceName=PORT)\n");
            return 1;
        }
        doc["Hosts"] = {{port, p.address}};
    }
    return change("queue set", doc.dump(), LNTC_ADMIN_CHANGE_HELD_QUEUES,
                  p.dryRun ? Plan::DryRun : Plan::Apply, "queue set " + name);
}

// Yes on a terminal, or --yes; a script without --yes is told how.
bool confirmed(const std::string& command, const std::string& question, bool yes) {
    if (yes) return true;
    if (!isatty(STDIN_FILENO)) {
        std::fprintf(stderr,
                     "lntc %s: not confirmed: standard input is not a terminal; "
                     "give --yes\n",
                     command.c_str());
        return false;
    }
    std::fprintf(stderr, "%s [y/N] ", question.c_str());
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes";
}

int queueDelete(const Args& args) {
    Parsed p;
    if (!parse("queue delete", args, p, {"--yes", "--dry-run"}) || p.rest.size() != 1)
        return usageError();
    const std::string name = p.rest[0];
    const Json doc = {{"Queues", {{name, nullptr}}}};
    if (!p.dryRun && !confirmed("queue delete", "Delete the queue " + printable(name) + "?", p.yes))
        return 1;
    return change("queue delete", doc.dump(), LNTC_ADMIN_CHANGE_HELD_QUEUES,
                  p.dryRun ? Plan::DryRun : Plan::Apply, "queue delete " + name);
}

} // namespace

int cmdQueue(const Args& args) {
    if (args.empty()) return usageError();
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "list") return queueList(rest);
    if (args[0] == "show") return queueShow(rest);
    if (args[0] == "add") return queueAdd(rest);
    if (args[0] == "set") return queueSet(rest);
    if (args[0] == "delete") return queueDelete(rest);
    std::fprintf(stderr, "lntc queue: unknown command %s\n", quote(args[0]).c_str());
    return usageError();
}

int cmdDump(const Args& args) {
    if (args.size() > 1) return usageError();
    std::string text;
    int exit = 0;
    if (!documentOf(LNTC_ADMIN_DOC_DUMP | LNTC_ADMIN_DOC_YAML, nullptr, text, "dump", exit))
        return exit;
    if (args.empty() || args[0] == "-") {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    LNTC_AdminText why{};
    if (uint32_t rc = LNTC_AdminWriteText(LNTC_ADMIN_VERSION, args[0].c_str(), text.data(),
                                          text.size(), &why))
        return failedWith("dump", rc, why);
    return 0;
}

int cmdApply(const Args& args) {
    bool dryRun = false, exitCode = false, prune = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (a == "--dry-run")
            dryRun = true;
        else if (a == "--exit-code")
            exitCode = true;
        else if (a == "--prune")
            prune = true;
        else if (a.size() > 1 && a[0] == '-')
            return usageError();
        else
            files.push_back(a);
    }
    if (files.size() != 1 || (exitCode && !dryRun)) return usageError();
    std::string document, why;
    if (!readDocument(files[0], document, why)) {
        std::fprintf(stderr, "lntc apply: %s\n", why.c_str());
        return 1;
    }
    const Plan plan = !dryRun ? Plan::Apply : exitCode ? Plan::DryRunExitCode : Plan::DryRun;
    const std::string source = "apply " + (files[0] == "-" ? "(standard input)" : files[0]);
    return change("apply", document, prune ? LNTC_ADMIN_CHANGE_PRUNE : 0, plan, source);
}

namespace {

bool entryNumber(const std::string& text, uint32_t& number) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    number = static_cast<uint32_t>(std::stoul(text));
    return number > 0;
}

} // namespace

int cmdHistory(const Args& args) {
    uint32_t number = 0;
    const bool show = !args.empty() && args[0] == "show";
    if (!(args.empty() || (show && args.size() == 2 && entryNumber(args[1], number))))
        return usageError();
    startLibrary();
    LNTC_AdminText text{}, why{};
    const uint32_t rc = LNTC_AdminHistory(LNTC_ADMIN_VERSION, number, &text, &why);
    const std::string out = take(text);
    if (rc != 0) return failedWith("history", rc, why);
    take(why);
    const Json doc = Json::parse(out);
    if (show) {
        std::printf("Change %u, %s by %s: %s\n", doc["Number"].get<uint32_t>(),
                    doc["Time"].get<std::string>().c_str(),
                    printable(doc["User"].get<std::string>()).c_str(),
                    printable(doc["Source"].get<std::string>()).c_str());
        for (const Json& line : doc["Changes"])
            std::printf("  %s\n", line.get<std::string>().c_str());
        return 0;
    }
    if (doc.empty()) {
        std::printf("No changes recorded yet.\n");
        return 0;
    }
    std::printf("%-6s  %-25s  %-16s  %s\n", "N", "TIME", "USER", "CHANGE");
    for (const Json& e : doc) {
        const auto& changes = e["Changes"];
        std::string first = changes.empty() ? "" : changes[0].get<std::string>();
        if (changes.size() > 1) first += " (+" + std::to_string(changes.size() - 1) + " more)";
        std::printf("%-6u  %-25s  %-16s  %s: %s\n", e["Number"].get<uint32_t>(),
                    e["Time"].get<std::string>().c_str(),
                    printable(e["User"].get<std::string>()).c_str(),
                    printable(e["Source"].get<std::string>()).c_str(), first.c_str());
    }
    return 0;
}

int cmdRestore(const Args& args) {
    bool dryRun = false, yes = false;
    std::vector<std::string> rest;
    for (const std::string& a : args) {
        if (a == "--dry-run")
            dryRun = true;
        else if (a == "--yes")
            yes = true;
        else
            rest.push_back(a);
    }
    uint32_t number = 0;
    if (rest.size() != 1 || !entryNumber(rest[0], number)) return usageError();
    startLibrary();
    LNTC_AdminText lines{}, why{};
    // The plan first, so that the question says what the restore would do.
    uint32_t rc =
        LNTC_AdminRestore(LNTC_ADMIN_VERSION, number, LNTC_ADMIN_CHANGE_DRY_RUN, &lines, &why);
    std::string planned = take(lines);
    if (rc != 0) return failedWith("restore", rc, why);
    take(why);
    if (planned.empty()) {
        std::printf("No changes: the configuration is as it was after change %u.\n", number);
        return 0;
    }
    std::fputs(planned.c_str(), stdout);
    if (dryRun) {
        std::printf("Dry run: nothing was changed.\n");
        return 0;
    }
    if (!confirmed("restore",
                   "Restore the configuration as it was after change " + std::to_string(number) +
                       "?",
                   yes))
        return 1;
    rc = LNTC_AdminRestore(LNTC_ADMIN_VERSION, number, 0, &lines, &why);
    planned = take(lines);
    if (rc != 0) {
        const int exit = failedWith("restore", rc, why);
        std::fprintf(stderr, "lntc restore: nothing was changed\n");
        return exit;
    }
    take(why);
    std::printf("Restored the configuration as it was after change %u.\n", number);
    return 0;
}

} // namespace tool
