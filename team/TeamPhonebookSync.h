#pragma once

#include <vector>

#include "common/CatalogueStatus.h"
#include "contacts/IPhonebook.h"
#include "team/ITeamPhonebook.h"

namespace tapelink {

// What one exchange between a desk's phonebook and its team's did.
struct PhonebookSyncReport {
    TeamStatus team = TeamStatus::Ok;             // of the server: Ok, or why the exchange stopped
    CatalogueStatus local = CatalogueStatus::Ok;  // of the desk's own phonebook
    bool sent = false;                            // the desk's entries went to the server
    ContactImportCounts toTeam;                   // what the team's phonebook gained
    ContactImportCounts toDesk;                   // what the desk's phonebook gained

    bool ok() const { return team == TeamStatus::Ok && local == CatalogueStatus::Ok; }
};

// Keeps a desk's phonebook and its team's in step, both ways by the import rule. The desk's phonebook is
// changed only by a whole pull, once the server's entries are all read: a connection lost on the way leaves
// it as it was.
class TeamPhonebookSync {
public:
    TeamPhonebookSync(IPhonebook& desk, ITeamPhonebook& team) : m_desk(desk), m_team(team) {}

    // The team's entries merged into the desk's phonebook.
    PhonebookSyncReport pull();
    // The desk's entries merged into the team's phonebook; Refused for a person who may not change it.
    PhonebookSyncReport push();
    // Push where the person may change the team's phonebook (anyone else only pulls), then pull.
    PhonebookSyncReport sync();

private:
    void pullInto(PhonebookSyncReport& report);
    void pushInto(PhonebookSyncReport& report);

    IPhonebook& m_desk;
    ITeamPhonebook& m_team;
};

// The team's entries as a desk takes them: a number the desk already gives another name stays the desk's
// (the desk's own names win for the numbers it knows), and an entry left with no number is no entry.
std::vector<Contact> teamContactsForDesk(const std::vector<Contact>& desk, const std::vector<TeamContact>& team);

}  // namespace tapelink
