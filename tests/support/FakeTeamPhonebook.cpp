#include "tests/support/FakeTeamPhonebook.h"

#include "contacts/ContactMerge.h"

namespace tapelink::test {

TeamStatus FakeTeamPhonebook::entries(std::vector<TeamContact>& out) {
    std::lock_guard lock(m_server->mutex);
    m_server->callers.push_back(std::this_thread::get_id());
    if (m_server->answer == TeamStatus::Ok) out = m_server->entries;
    return m_server->answer;
}

TeamStatus FakeTeamPhonebook::mayEdit(bool& out) {
    std::lock_guard lock(m_server->mutex);
    m_server->callers.push_back(std::this_thread::get_id());
    out = m_server->mayEdit;
    return m_server->answer;
}

TeamStatus FakeTeamPhonebook::merge(const std::vector<Contact>& contacts, ContactImportCounts& counts) {
    std::lock_guard lock(m_server->mutex);
    m_server->callers.push_back(std::this_thread::get_id());
    if (m_server->answer != TeamStatus::Ok) return m_server->answer;
    if (!m_server->mayEdit) return TeamStatus::Refused;
    std::vector<Contact> stored;
    for (std::size_t i = 0; i < m_server->entries.size(); ++i) {
        stored.push_back(m_server->entries[i].contact);
        stored.back().id = static_cast<std::int64_t>(i) + 1;
    }
    ContactImportPlan plan = planContactImport(stored, contacts);
    for (ContactWrite& write : plan.writes) {
        if (write.contact.id == 0) {
            m_server->entries.push_back({write.contact, "fake", ""});
        } else {
            m_server->entries[static_cast<std::size_t>(write.contact.id - 1)].contact = write.contact;
        }
    }
    counts = plan.counts;
    return TeamStatus::Ok;
}

}  // namespace tapelink::test
