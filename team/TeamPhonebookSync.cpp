#include "team/TeamPhonebookSync.h"

#include <algorithm>

#include "contacts/ContactDirectory.h"

namespace tapelink {

std::vector<Contact> teamContactsForDesk(const std::vector<Contact>& desk, const std::vector<TeamContact>& team) {
    const ContactDirectory known(desk);
    std::vector<Contact> taken;
    for (const TeamContact& entry : team) {
        Contact contact{0, entry.contact.name, {}, entry.contact.company};
        for (const std::string& number : entry.contact.numbers) {
            const std::vector<std::string> names = known.namesFitting(number);
            // Two names for one number would leave it with none: the desk's name stays.
            if (!names.empty() && std::find(names.begin(), names.end(), contact.name) == names.end()) continue;
            contact.numbers.push_back(number);
        }
        if (!contact.numbers.empty()) taken.push_back(std::move(contact));
    }
    return taken;
}

void TeamPhonebookSync::pullInto(PhonebookSyncReport& report) {
    std::vector<TeamContact> entries;
    report.team = m_team.entries(entries);
    if (report.team != TeamStatus::Ok) return;
    std::vector<Contact> own;
    report.local = m_desk.contacts(own);
    if (report.local != CatalogueStatus::Ok) return;
    report.local = m_desk.import(teamContactsForDesk(own, entries), report.toDesk);
}

void TeamPhonebookSync::pushInto(PhonebookSyncReport& report) {
    std::vector<Contact> own;
    report.local = m_desk.contacts(own);
    if (report.local != CatalogueStatus::Ok) return;
    report.team = m_team.merge(own, report.toTeam);
    report.sent = report.team == TeamStatus::Ok;
}

PhonebookSyncReport TeamPhonebookSync::pull() {
    PhonebookSyncReport report;
    pullInto(report);
    return report;
}

PhonebookSyncReport TeamPhonebookSync::push() {
    PhonebookSyncReport report;
    pushInto(report);
    return report;
}

PhonebookSyncReport TeamPhonebookSync::sync() {
    PhonebookSyncReport report;
    bool mayEdit = false;
    report.team = m_team.mayEdit(mayEdit);
    if (report.team != TeamStatus::Ok) return report;
    if (mayEdit) pushInto(report);
    if (report.ok()) pullInto(report);
    return report;
}

}  // namespace tapelink
