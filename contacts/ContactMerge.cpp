#include "contacts/ContactMerge.h"

#include <map>
#include <set>
#include <string>

#include "contacts/ContactDirectory.h"

namespace tapelink {

namespace {

// Two spellings of one number are one number; two extensions of one line are two.
std::string numberKey(const std::string& number) {
    std::string digits = ContactDirectory::dialledDigits(number);
    if (digits.empty()) return number;
    const std::string extension = ContactDirectory::extensionDigits(number);
    return extension.empty() ? digits : digits + '#' + extension;
}

// Adds what incoming knows to stored: numbers stored lack, and a company when incoming names one.
// True when stored changed.
bool merge(Contact& stored, const Contact& incoming) {
    bool changed = false;
    std::set<std::string> known;
    for (const std::string& number : stored.numbers) known.insert(numberKey(number));
    for (const std::string& number : incoming.numbers) {
        if (known.insert(numberKey(number)).second) {
            stored.numbers.push_back(number);
            changed = true;
        }
    }
    if (!incoming.company.empty() && incoming.company != stored.company) {
        stored.company = incoming.company;
        changed = true;
    }
    return changed;
}

}  // namespace

ContactImportPlan planContactImport(const std::vector<Contact>& stored, const std::vector<Contact>& incoming) {
    // One file may name a person twice (a phone's export, a merged address book): one contact.
    std::map<std::string, Contact> byIncomingName;
    for (const Contact& contact : incoming) {
        if (contact.name.empty()) continue;
        auto [slot, added] = byIncomingName.try_emplace(contact.name, Contact{0, contact.name, {}, {}});
        merge(slot->second, contact);
    }
    std::map<std::string, const Contact*> byStoredName;
    for (const Contact& contact : stored) byStoredName.try_emplace(contact.name, &contact);  // the oldest of a name
    ContactImportPlan plan;
    for (auto& [name, contact] : byIncomingName) {
        const auto found = byStoredName.find(name);
        if (found == byStoredName.end()) {
            ++plan.counts.added;
            plan.writes.push_back({std::move(contact), true});
            continue;
        }
        Contact target = *found->second;
        const std::size_t numbersBefore = target.numbers.size();
        if (!merge(target, contact)) {
            ++plan.counts.unchanged;
            continue;
        }
        ++plan.counts.updated;
        const bool numbersChanged = target.numbers.size() != numbersBefore;
        plan.writes.push_back({std::move(target), numbersChanged});
    }
    return plan;
}

}  // namespace tapelink
