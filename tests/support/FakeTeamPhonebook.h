#pragma once

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "team/ITeamPhonebook.h"

namespace tapelink::test {

// A team phonebook in memory, shared by every connection made to it, that notes which threads called it and
// answers what a test sets (ConnectionLost: a server gone away).
class FakeTeamPhonebook : public ITeamPhonebook {
public:
    struct Server {
        std::mutex mutex;
        std::vector<TeamContact> entries;  // guarded by mutex, as are the rest
        bool mayEdit = true;
        TeamStatus answer = TeamStatus::Ok;
        std::vector<std::thread::id> callers;
    };
    explicit FakeTeamPhonebook(std::shared_ptr<Server> server) : m_server(std::move(server)) {}

    TeamStatus entries(std::vector<TeamContact>& out) override;
    TeamStatus mayEdit(bool& out) override;
    TeamStatus merge(const std::vector<Contact>& contacts, ContactImportCounts& counts) override;

private:
    std::shared_ptr<Server> m_server;
};

}  // namespace tapelink::test
