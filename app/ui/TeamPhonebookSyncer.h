#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "catalogue/IArchiveCatalogue.h"
#include "team/ITeamPhonebook.h"
#include "team/TeamPhonebookSync.h"

namespace tapelink {

class WorkerMailbox;

// The window's exchange of the upload folder's phonebook with the team's (push where the person may, then
// pull), on a thread of its own: the server may be slow or away, and the window never waits for it.
class TeamPhonebookSyncer : public QObject {
    Q_OBJECT
public:
    using Open = std::function<std::unique_ptr<ITeamPhonebook>()>;
    TeamPhonebookSyncer(IArchiveCatalogueOpener& catalogues, Open open, QObject* parent);
    ~TeamPhonebookSyncer() override;

    // Starts an exchange for the folder; asked while one runs, one more follows it. told: the user changed
    // the phonebook just now and learns of a failure; at opening an offline desk is left in peace.
    void sync(const std::string& folder, bool told);
    bool isRunning() const { return m_thread.joinable(); }

    // What the user reads of an exchange that failed; empty when it went well.
    static std::string failureText(const PhonebookSyncReport& report);

signals:
    // On the window's thread, after each exchange.
    void finished(const tapelink::PhonebookSyncReport& report, bool told);

private:
    void start(const std::string& folder, bool told);
    void onFinished(const PhonebookSyncReport& report, bool told);

    IArchiveCatalogueOpener& m_catalogues;
    Open m_open;
    WorkerMailbox* m_mailbox;
    struct Next {
        std::string folder;
        bool told = false;
    };
    std::optional<Next> m_next;
    std::jthread m_thread;  // last: joined first
};

}  // namespace tapelink
