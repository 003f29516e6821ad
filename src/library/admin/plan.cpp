#include "library/admin/plan.h"

#include "platform/printable.h"

namespace lntc::admin {

namespace {

using Json = Document;

// A value as an administrator reads it: trays "LEGAL, 2", lists "[a, b]", texts as they are
// ('' when empty, so that the line still shows a value).
std::string readable(const Json& v) {
    if (v.is_string()) {
        const std::string& s = v.get_ref<const std::string&>();
        return s.empty() ? "''" : printable(s);
    }
    if (v.is_object() && v.contains("Paper")) {
        std::string tray = readable(v["Paper"]);
        if (v.contains("Priority")) tray += ", " + readable(v["Priority"]);
        return tray;
    }
    if (v.is_object() || v.is_array()) {
        std::string out;
        for (const auto& [key, member] : v.items()) {
            out += out.empty() ? "" : ", ";
            if (v.is_object()) out += printable(key) + ": ";
            out += readable(member);
        }
        return v.is_object() ? "{" + out + "}" : "[" + out + "]";
    }
    return v.is_null() ? "null" : v.dump();
}

const Json* part(const Json& doc, const char* name) {
    if (!doc.is_object()) return nullptr;
    const auto it = doc.find(name);
    return it == doc.end() ? nullptr : &*it;
}

void changed(std::vector<std::string>& lines, const std::string& prefix, const Json* a,
             const Json& b) {
    if (a != nullptr && *a == b) return;
    lines.push_back(prefix + " " + (a != nullptr ? readable(*a) : "(unset)") + " -> " +
                    readable(b));
}

// The values that after sets differently: before's order, then values only after holds.
void values(std::vector<std::string>& lines, const std::string& prefix, const Json* before,
            const Json* after) {
    if (after == nullptr || !after->is_object()) return;
    const bool hadValues = before != nullptr && before->is_object();
    if (hadValues) {
        for (const auto& [name, old] : before->items()) {
            if (const auto it = after->find(name); it != after->end())
                changed(lines, prefix + " " + printable(name), &old, *it);
        }
    }
    for (const auto& [name, value] : after->items()) {
        if (!hadValues || !before->contains(name))
            changed(lines, prefix + " " + printable(name), nullptr, value);
    }
}

} // namespace

std::vector<std::string> PlanLines(const Document& before, const Document& after) {
    std::vector<std::string> lines;
    values(lines, "~ General", part(before, "General"), part(after, "General"));
    values(lines, "~ Fonts", part(before, "Fonts"), part(after, "Fonts"));
    if (const Json* odr = part(after, "ODR")) changed(lines, "~ ODR", part(before, "ODR"), *odr);

    const Json* oldQueues = part(before, "Queues");
    const Json* newQueues = part(after, "Queues");
    if (newQueues != nullptr && newQueues->is_object()) {
        const bool had = oldQueues != nullptr && oldQueues->is_object();
        if (had) {
            for (const auto& [name, entry] : oldQueues->items()) {
                const auto it = newQueues->find(name);
                if (it == newQueues->end())
                    lines.push_back("- queue " + printable(name));
                else
                    values(lines, "~ queue " + printable(name), &entry, &*it);
            }
        }
        // A new queue's values are its own: the line that adds it says enough.
        for (const auto& [name, entry] : newQueues->items()) {
            if (!had || !oldQueues->contains(name)) lines.push_back("+ queue " + printable(name));
        }
    }

    const Json* oldHosts = part(before, "Hosts");
    const Json* newHosts = part(after, "Hosts");
    if (newHosts != nullptr && newHosts->is_object()) {
        const bool had = oldHosts != nullptr && oldHosts->is_object();
        if (had) {
            for (const auto& [name, address] : oldHosts->items()) {
                const auto it = newHosts->find(name);
                if (it == newHosts->end())
                    lines.push_back("- hosts " + printable(name));
                else
                    changed(lines, "~ hosts " + printable(name), &address, *it);
            }
        }
        for (const auto& [name, address] : newHosts->items()) {
            if (!had || !oldHosts->contains(name))
                lines.push_back("+ hosts " + printable(name) + " " + readable(address));
        }
    }
    return lines;
}

} // namespace lntc::admin
