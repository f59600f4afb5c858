#include <QtTest>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "phone/ui/WorkerMailbox.h"

using namespace tapelink;

class WorkerMailboxTest : public QObject {
    Q_OBJECT

private slots:
    void callsFromTwoWorkersRunOnTheOwnersThreadEachInItsPostingOrder() {
        WorkerMailbox mailbox;
        std::vector<int> ran;  // touched on this thread only
        bool allOnThisThread = true;
        QThread* const owner = QThread::currentThread();
        auto worker = [&](int base) {
            for (int i = 0; i < 200; ++i) {
                mailbox.post([&, value = base + i] {
                    allOnThisThread = allOnThisThread && QThread::currentThread() == owner;
                    ran.push_back(value);
                });
            }
        };
        std::thread first(worker, 0);
        std::thread second(worker, 1000);
        first.join();
        second.join();
        QTRY_COMPARE(ran.size(), std::size_t{400});
        QVERIFY(allOnThisThread);
        int lastFirst = -1;
        int lastSecond = 999;
        for (const int value : ran) {
            int& last = value < 1000 ? lastFirst : lastSecond;
            QVERIFY(value > last);
            last = value;
        }
    }

    void aCallPostedWhileAnotherWaitsInANestedLoopRunsFromThatLoop() {
        // A worker that posts while the window shows a message box for an earlier call must not wait
        // for the box to close.
        WorkerMailbox mailbox;
        std::vector<int> ran;
        std::thread worker;
        mailbox.post([&] {
            ran.push_back(1);
            worker = std::thread([&] { mailbox.post([&] { ran.push_back(2); }); });
            QEventLoop nested;  // as a message box does
            QTimer::singleShot(5000, &nested, &QEventLoop::quit);
            QTimer poll;
            connect(&poll, &QTimer::timeout, &nested, [&] {
                if (ran.size() == 2) nested.quit();
            });
            poll.start(1);
            nested.exec();
            ran.push_back(3);
        });
        QTRY_COMPARE(ran.size(), std::size_t{3});
        worker.join();
        QCOMPARE(ran, (std::vector<int>{1, 2, 3}));
    }

    void closingDestroysWaitingCallsUnrunAndRefusesLaterOnes() {
        WorkerMailbox mailbox;
        bool ran = false;
        auto waiting = std::make_shared<std::promise<void>>();
        std::future<void> released = waiting->get_future();
        mailbox.post([&ran, waiting] {
            ran = true;
            waiting->set_value();
        });
        waiting.reset();
        mailbox.close();
        // The only owner of the promise was the call: destroying it breaks the promise, which is what
        // releases a worker waiting on it.
        QVERIFY_THROWS_EXCEPTION(std::future_error, released.get());

        auto late = std::make_shared<int>(0);
        mailbox.post([late] {});
        QCOMPARE(late.use_count(), 1L);
        QCoreApplication::processEvents();
        QVERIFY(!ran);
    }
};

QTEST_GUILESS_MAIN(WorkerMailboxTest)
#include "WorkerMailboxTest.moc"
