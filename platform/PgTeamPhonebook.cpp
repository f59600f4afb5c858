#include "platform/PgTeamPhonebook.h"

#include <nlohmann/json.hpp>

#include "contacts/ContactMerge.h"

namespace tapelink {

namespace {

std::string numbersJson(const std::vector<std::string>& numbers) {
    return nlohmann::json(numbers).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<std::string> numbersOf(const std::string& json) {
    std::vector<std::string> numbers;
    const nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
    if (!parsed.is_array()) return numbers;
    for (const auto& number : parsed) {
        if (number.is_string()) numbers.push_back(number.get<std::string>());
    }
    return numbers;
}

}  // namespace

TeamStatus PgTeamPhonebook::entries(std::vector<TeamContact>& out) {
    out.clear();
    const PgResult rows = m_connection.exec(
        "SELECT id, name, company, array_to_json(numbers)::text, edited_by, "
        "to_char(edited_at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"') FROM phonebook ORDER BY name, id");
    if (!rows.ok()) return rows.status();
    for (int i = 0; i < rows.rows(); ++i) {
        TeamContact entry;
        entry.contact.id = std::stoll(rows.text(i, 0));
        entry.contact.name = rows.text(i, 1);
        entry.contact.company = rows.text(i, 2);
        entry.contact.numbers = numbersOf(rows.text(i, 3));
        entry.editedBy = rows.text(i, 4);
        entry.editedAt = rows.text(i, 5);
        out.push_back(std::move(entry));
    }
    return TeamStatus::Ok;
}

TeamStatus PgTeamPhonebook::mayEdit(bool& out) {
    out = false;
    const PgResult answer = m_connection.exec("SELECT may_edit_phonebook()");
    if (!answer.ok()) return answer.status();
    out = answer.rows() == 1 && answer.text(0, 0) == "t";
    return TeamStatus::Ok;
}

TeamStatus PgTeamPhonebook::write(const Contact& contact) {
    if (contact.id == 0) {
        // A row the policies do not let in fails with an error, which the connection reports as Refused.
        return m_connection
            .exec(
                "INSERT INTO phonebook(name, company, numbers) "
                "VALUES ($1, $2, ARRAY(SELECT json_array_elements_text($3::json)))",
                {{contact.name}, {contact.company}, {numbersJson(contact.numbers)}})
            .status();
    }
    // A row the person may read but not change is hidden from his UPDATE: 0 rows is a refusal, never done.
    const PgResult updated = m_connection.exec(
        "UPDATE phonebook SET company = $2, numbers = ARRAY(SELECT json_array_elements_text($3::json)) WHERE id = $1",
        {{std::to_string(contact.id)}, {contact.company}, {numbersJson(contact.numbers)}});
    if (!updated.ok()) return updated.status();
    return updated.affected() == 1 ? TeamStatus::Ok : TeamStatus::Refused;
}

TeamStatus PgTeamPhonebook::merge(const std::vector<Contact>& contacts, ContactImportCounts& counts) {
    counts = {};
    TeamStatus status = m_connection.begin();
    if (status != TeamStatus::Ok) return status;
    // Desks merging at once take turns, so that each merges into what the one before wrote; readers don't wait.
    status = m_connection.exec("LOCK TABLE phonebook IN SHARE ROW EXCLUSIVE MODE").status();
    std::vector<TeamContact> stored;
    if (status == TeamStatus::Ok) status = entries(stored);
    ContactImportPlan plan;
    if (status == TeamStatus::Ok) {
        std::vector<Contact> current;
        for (TeamContact& entry : stored) current.push_back(std::move(entry.contact));
        plan = planContactImport(current, contacts);
    }
    for (const ContactWrite& change : plan.writes) {
        if (status == TeamStatus::Ok) status = write(change.contact);
    }
    if (status != TeamStatus::Ok) {
        m_connection.rollback();
        return status;
    }
    status = m_connection.commit();
    if (status == TeamStatus::Ok) counts = plan.counts;
    return status;
}

}  // namespace tapelink
