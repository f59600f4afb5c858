// The main window archive's worker: the order in which a run's end reaches the window, a reconciliation
// giving way to a command, a result's step starting the next run, and a closing window shown nothing.
#include <QProgressBar>
#include <QtTest>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/ui/ArchiveWorker.h"
#include "app/ui/IArchiveWindow.h"
#include "catalogue/CatalogueFailureText.h"
#include "tests/support/RecordingMessages.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

// The window as the worker sees it: its busy state and messages; the rest is never asked for.
class FakeArchiveWindow : public IArchiveWindow {
public:
    const std::string& driveRoot() const override { return m_none; }
    const IDeviceLocator& locator() const override { std::abort(); }
    PhoneIndexHeader& phoneIndex() override { std::abort(); }
    PhoneListModel& phoneList() override { std::abort(); }
    void onPhoneRescan() override {}
    const SettingsRecord& settingsCopy() const override { return m_settings; }
    bool uploadFolderConfirmed() const override { return true; }
    bool pickUploadFolder() override { return false; }
    bool folderOnPhone(const std::string&, bool) override { return false; }
    bool uploadRunning() const override { return running; }
    void setUploadRunning(bool value) override { running = value; }
    void setProgressAreaShown(bool value) override { progressShown = value; }
    QProgressBar* progressBar() const override { return &m_progress; }
    void setStatusText(const std::string&) override {}
    QAction* action(int) const override { return nullptr; }
    IMessageSink& messages() override { return sink; }
    QWidget* dialogOwner() override { return nullptr; }

    bool running = false;
    bool progressShown = false;
    RecordingMessages sink;

private:
    std::string m_none;
    SettingsRecord m_settings;
    mutable QProgressBar m_progress;
};

// Work that waits for its stop token, as a long reconciliation does.
void untilStopped(std::stop_token stop, ArchiveWorkResult&) {
    while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void opened(std::stop_token, ArchiveWorkResult& result) {
    result.opened = true;
}

}  // namespace

class ArchiveWorkerTest : public QObject {
    Q_OBJECT

private slots:
    void aCommandsEndFreesTheWindowBeforeItsResultAndTheMarksFollowIt() {
        FakeArchiveWindow window;
        ArchiveWorker worker(window);
        std::vector<std::string> events;
        connect(&worker, &ArchiveWorker::ended, [&] { events.push_back("ended"); });
        connect(&worker, &ArchiveWorker::settled, [&](bool command) { events.push_back(command ? "cmd" : "rec"); });
        QVERIFY(worker.start(true, opened, [&](const ArchiveWorkResult& result) {
            events.push_back(window.running || window.progressShown ? "busy" : "result");
            QVERIFY(result.opened);
        }));
        QVERIFY(window.running && window.progressShown && worker.isRunning());
        QVERIFY(!worker.start(true, opened, {}));  // a running command refuses the next
        QTRY_VERIFY(!worker.isBusy());
        QCOMPARE(events, (std::vector<std::string>{"ended", "result", "cmd"}));
        QVERIFY(window.sink.texts.empty());
    }

    void aReconciliationThatGaveWayToACommandReportsNothing() {
        FakeArchiveWindow window;
        ArchiveWorker worker(window);
        int reconciled = 0;
        int commanded = 0;
        std::vector<bool> settled;
        connect(&worker, &ArchiveWorker::settled, [&](bool command) { settled.push_back(command); });
        QVERIFY(worker.start(false, untilStopped, [&](const ArchiveWorkResult&) { ++reconciled; }));
        QVERIFY(!window.running);
        QVERIFY(worker.start(true, opened, [&](const ArchiveWorkResult&) { ++commanded; }));
        QTRY_VERIFY(!worker.isBusy() && !settled.empty());
        QTest::qWait(20);  // the reconciliation's own end, posted before it was joined, must stay unshown
        QCOMPARE(reconciled, 0);
        QCOMPARE(commanded, 1);
        QCOMPARE(settled, std::vector<bool>{true});
        // It had not opened its catalogue, but a reconciliation says nothing of that; a command does.
        QVERIFY(window.sink.texts.empty());
    }

    void aResultsStepMayStartTheNextRunWhoseResultFollows() {
        FakeArchiveWindow window;
        ArchiveWorker worker(window);
        std::vector<std::string> shown;
        QVERIFY(worker.start(true, opened, [&](const ArchiveWorkResult&) {
            shown.push_back("first");
            QVERIFY(worker.start(
                true, [](std::stop_token, ArchiveWorkResult&) {},
                [&](const ArchiveWorkResult&) { shown.push_back("second"); }));
        }));
        QTRY_COMPARE(shown.size(), std::size_t{2});
        QCOMPARE(shown[1], std::string("second"));
        // The second could not open a catalogue and said nothing else: the window is told so.
        QCOMPARE(window.sink.texts, std::vector<std::string>{kCatalogueFailed});
        QVERIFY(!window.running && !window.progressShown);
    }

    void aClosingWindowIsToldTheEndButShownNoResult() {
        FakeArchiveWindow window;
        ArchiveWorker worker(window);
        int ended = 0;
        bool shown = false;
        connect(&worker, &ArchiveWorker::ended, [&] { ++ended; });
        QVERIFY(worker.start(true, untilStopped, [&](const ArchiveWorkResult&) { shown = true; }));
        worker.terminate();
        QTRY_COMPARE(ended, 1);
        QVERIFY(!shown && !window.running && window.sink.texts.empty());
        QVERIFY(!worker.start(true, opened, {}));
    }
};

QTEST_MAIN(ArchiveWorkerTest)
#include "ArchiveWorkerTest.moc"
