#include "cli/WatchCommand.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <thread>

#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/TeamPublishing.h"
#include "cli/UploadNewRun.h"
#include "phone/IDeviceChangeObserver.h"
#include "platform/LinuxDeviceLocator.h"
#include "platform/MountWatcher.h"

namespace tapelink::cli {

namespace {

// Asks the locator again at each notification, as the main window does, and prints one line.
class NotificationPrinter : public IDeviceChangeObserver {
public:
    explicit NotificationPrinter(const IDeviceLocator& locator) : m_locator(locator) {}
    void deviceArrived() override { m_known = print("arrival"); }
    void deviceRemoved() override { m_known = print("removal"); }

protected:
    std::string print(const char* what) {
        std::string root = m_locator.FindPhoneDrive();
        std::cout << what << '\t' << root << std::endl;
        return root;
    }

    const IDeviceLocator& m_locator;
    std::string m_known;  // the telephone seen at the last notification
};

// Uploads the new recordings of a telephone that was not there at the last notification.
class ArrivalUploader : public NotificationPrinter {
public:
    ArrivalUploader(const IDeviceLocator& locator, IArchiveCatalogueOpener& catalogues, std::string archiveFolder,
                    IMessageSink& messages, std::stop_source stop)
        : NotificationPrinter(locator),
          m_catalogues(catalogues),
          m_archiveFolder(std::move(archiveFolder)),
          m_messages(messages),
          m_stop(std::move(stop)) {}
    void deviceArrived() override {
        const std::string before = m_known;
        NotificationPrinter::deviceArrived();
        if (m_known.empty() || m_known == before) return;
        const UploadNewResult result =
            runUploadNew(m_catalogues, m_known, m_archiveFolder, m_messages, m_stop, m_never);
        std::cout << "upload-new\t" << m_known << '\t'
                  << (result.ran ? uploadNewSummary(result.report) : std::string("未运行")) << std::endl;
        if (result.ran) publishAfterUpload(m_catalogues, m_archiveFolder);
    }

private:
    IArchiveCatalogueOpener& m_catalogues;
    std::string m_archiveFolder;
    IMessageSink& m_messages;
    std::stop_source m_stop;
    const std::atomic<bool> m_never{false};
};

}  // namespace

WatchCommand::WatchCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("watch", "Print a line for every device arrival and removal")),
      m_context(context) {
    m_command->add_flag("--upload-new", m_uploadNew, "Upload the new recordings of each telephone that arrives");
    ArchiveOption(*m_command, m_to, "Archive (upload) folder for --upload-new (default: the stored one)", true)
        .needs("--upload-new");
}

int WatchCommand::run() {
    const LinuxDeviceLocator locator(m_context.storeOption);
    MountWatcher watcher(locator.sources().storeFolder);
    if (!watcher.open()) {
        std::cerr << "tapelink-cli：无法监视挂载表\n";
        return kExitMessage;
    }

    // The signals are taken with sigwait() here; blocking them first keeps them off the worker thread.
    sigset_t endSignals;
    ::sigemptyset(&endSignals);
    ::sigaddset(&endSignals, SIGINT);
    ::sigaddset(&endSignals, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    std::string archiveFolder;
    if (m_uploadNew) {
        archiveFolder = archiveFolderOr(m_to);
        if (archiveFolder.empty()) {
            std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
            return kExitUsage;
        }
    }
    std::stop_source uploadStop;
    NotificationPrinter plainPrinter(locator);
    ArrivalUploader uploader(locator, *m_context.catalogues, archiveFolder, m_context.messages, uploadStop);
    IDeviceChangeObserver& printer = m_uploadNew ? static_cast<IDeviceChangeObserver&>(uploader) : plainPrinter;
    std::atomic<bool> failed = false;
    std::jthread worker([&](std::stop_token stop) {
        // A telephone already attached when the watch starts counts as arriving then.
        if (m_uploadNew) uploader.deviceArrived();
        watcher.run(stop, printer);
        if (!stop.stop_requested()) {
            failed = true;
            ::kill(::getpid(), SIGTERM);  // wakes the sigwait() below
        }
    });
    int received = 0;
    ::sigwait(&endSignals, &received);
    uploadStop.request_stop();
    worker.request_stop();
    worker.join();
    return failed ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
