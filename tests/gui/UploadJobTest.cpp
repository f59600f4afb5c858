#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <filesystem>

#include "phone/ui/UploadJob.h"
#include "tests/support/ScriptedUploadObserver.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class NoList : public IListTexts {
public:
    int rowCount() const override { return 0; }
    int columnCount() const override { return 8; }
    std::string columnTitle(int) const override { return {}; }
    std::string cellText(int, int) const override { return {}; }
};

class JobHost : public IUploadHost {
public:
    std::string driveRoot() const override { return {}; }
    std::string uploadFolder() const override { return {}; }
    bool uploadFolderConfirmed() const override { return true; }
    bool pickUploadFolder() override { return false; }
    std::optional<CategoryChoice> askCategory(CategoryCriteria&) override { return std::nullopt; }
    void setProgressAreaShown(bool) override {}
    bool workerExists() const override { return job != nullptr && job->isRunning(); }
    bool startWorker(const UploadTask& task) override { return job->start(task); }
    void cancelWorker() override { job->cancel(); }
    UploadJob* job = nullptr;
};

class NullSink : public IMessageSink {
public:
    void showMessage(const std::string&, MessageIcon) override {}
};

std::size_t entriesIn(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

class UploadJobTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void runsTheWorkerAndAppliesEveryCallOnTheGuiThreadInOrder();
    void stopFromTheWindowEndsTheJobAfterTheCurrentFile();
    void cancelReleasesAWaitingWorkerWithoutFurtherMessages();
    void destroyingTheJobDuringACopyLeavesNoTemporaryFile();

private:
    UploadTask taskOf(std::vector<int> rows) const { return {TransferJob{std::move(rows)}, volume->root(), uploads()}; }
    std::string uploads() const { return folder->path() + "up/"; }

    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<VolumeBuilder> volume;
    ScriptedUploadObserver view;
    std::vector<QThread*> threads;
    NoList list;
    JobHost host;
    NullSink sink;
    std::unique_ptr<UploadEngine> engine;
    std::unique_ptr<UploadJob> job;
};

void UploadJobTest::init() {
    folder = std::make_unique<TempFolder>();
    volume = std::make_unique<VolumeBuilder>(folder->path() + "phone/");
    fs::create_directory(uploads());
    view = ScriptedUploadObserver{};
    threads.clear();
    for (int i = 1; i <= 3; ++i) {
        const std::string name = "VOA0000" + std::to_string(i) + ".WAV";
        VolumeBuilder::writeBytes(volume->voice() + name, std::vector<std::uint8_t>(4000 + i, std::uint8_t(i)));
        view.names.push_back(name);
    }
    view.onEvent = [this](const std::string&) { threads.push_back(QThread::currentThread()); };
    engine = std::make_unique<UploadEngine>(list, host, sink);
    job = std::make_unique<UploadJob>(*engine, view);
    host.job = job.get();
}

void UploadJobTest::cleanup() {
    job.reset();
    engine.reset();
    volume.reset();
    folder.reset();
}

void UploadJobTest::runsTheWorkerAndAppliesEveryCallOnTheGuiThreadInOrder() {
    VolumeBuilder::writeBytes(uploads() + "VOA00002.WAV", {'o', 'l', 'd'});
    view.answers = {OverwriteDecision::Yes};
    QSignalSpy finished(job.get(), &UploadJob::finished);
    QVERIFY(job->start(taskOf({0, 1, 2})));
    QVERIFY(job->isRunning());
    QVERIFY(!job->start(taskOf({0})));  // one worker at a time
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!job->isRunning());

    const auto report = finished.at(0).at(0).value<UploadReport>();
    QCOMPARE(report.copied, 3);
    const std::vector<std::string> expected = {"range:3",
                                               "position:0",
                                               "visible:1",
                                               "status:设备状态：正在上传文件 VOA00001.WAV",
                                               "position:1",
                                               "status:设备状态：正在上传文件 VOA00002.WAV",
                                               "ask:" + uploads() + "VOA00002.WAV 文件已经存在，是否覆盖？",
                                               "position:2",
                                               "status:设备状态：正在上传文件 VOA00003.WAV",
                                               "position:3",
                                               "visible:0",
                                               "status:设备状态：录音电话成功连接",
                                               "message:传输完毕！"};
    QVERIFY(view.events == expected);
    for (QThread* thread : threads) QCOMPARE(thread, QThread::currentThread());
    QCOMPARE(VolumeBuilder::readBytes(uploads() + "VOA00002.WAV").size(), std::size_t(4002));

    QVERIFY(job->start(taskOf({0})));  // a finished job can run again
    QTRY_COMPARE(finished.count(), 2);
}

void UploadJobTest::stopFromTheWindowEndsTheJobAfterTheCurrentFile() {
    view.onEvent = [this](const std::string& line) {
        if (line == "status:设备状态：正在上传文件 VOA00001.WAV") engine->RequestStop();
    };
    QSignalSpy finished(job.get(), &UploadJob::finished);
    engine->UploadAll();  // no telephone in this host: refused with a message, nothing started
    QVERIFY(!job->isRunning());
    QVERIFY(job->start(taskOf({0, 1, 2})));
    QTRY_COMPARE(finished.count(), 1);
    const auto report = finished.at(0).at(0).value<UploadReport>();
    QVERIFY(report.stopped);
    QCOMPARE(report.copied, 1);
    QCOMPARE(view.events.back(), std::string("message:传输完毕！"));
}

void UploadJobTest::cancelReleasesAWaitingWorkerWithoutFurtherMessages() {
    QSignalSpy finished(job.get(), &UploadJob::finished);
    QVERIFY(job->start(taskOf({0, 1, 2})));
    // The worker's first call waits for this thread, which is busy here: cancel must release it.
    engine->Terminate();
    job->wait();
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(finished.at(0).at(0).value<UploadReport>().terminated);
    QVERIFY(view.lines("message:").empty());
    QVERIFY(view.lines("ask:").empty());
    QCOMPARE(entriesIn(uploads()), std::size_t(0));
}

void UploadJobTest::destroyingTheJobDuringACopyLeavesNoTemporaryFile() {
    VolumeBuilder::writeBytes(volume->voice() + "VOA00004.WAV", std::vector<std::uint8_t>(8u << 20, 7));
    view.names.push_back("VOA00004.WAV");
    // The window closes while the worker shows the file it is about to copy.
    view.onEvent = [this](const std::string& line) {
        if (line.rfind("status:", 0) == 0) engine->Terminate();
    };
    QVERIFY(job->start(taskOf({3})));
    QTRY_VERIFY(!view.lines("status:").empty());
    job.reset();
    host.job = nullptr;
    const auto eventsAtClose = view.events.size();
    QCoreApplication::processEvents();
    QCOMPARE(view.events.size(), eventsAtClose);
    QCOMPARE(entriesIn(uploads()), std::size_t(0));
    QVERIFY(view.lines("message:").empty());
}

QTEST_MAIN(UploadJobTest)
#include "UploadJobTest.moc"
