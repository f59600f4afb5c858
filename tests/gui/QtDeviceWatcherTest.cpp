#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "platform/QtDeviceWatcher.h"

using tapelink::QtDeviceWatcher;

// The watcher's notifications must reach its signals on the GUI thread. A fake mount table that never
// changes keeps other mounts on the machine out of the counts; the store folder drives the changes.
class QtDeviceWatcherTest : public QObject {
    Q_OBJECT

private:
    static std::string quietMountTable(const QTemporaryDir& dir) {
        const QString path = dir.filePath("mountinfo");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n");
        return path.toStdString();
    }

private slots:
    void signalsTheFolderOnTheGuiThread() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString store = dir.filePath("store");
        QtDeviceWatcher watcher(store.toStdString(), nullptr, quietMountTable(dir));
        QSignalSpy arrived(&watcher, &QtDeviceWatcher::deviceArrived);
        QSignalSpy removed(&watcher, &QtDeviceWatcher::deviceRemoved);
        QList<QThread*> emitters;
        connect(&watcher, &QtDeviceWatcher::deviceArrived, this, [&] { emitters << QThread::currentThread(); });
        connect(&watcher, &QtDeviceWatcher::deviceRemoved, this, [&] { emitters << QThread::currentThread(); });
        QVERIFY(watcher.start());
        QVERIFY(watcher.isRunning());

        QVERIFY(QDir().mkdir(store));
        QTRY_COMPARE(arrived.count(), 1);
        QCOMPARE(removed.count(), 0);

        QVERIFY(QDir().rmdir(store));
        QTRY_COMPARE(removed.count(), 1);
        QCOMPARE(arrived.count(), 1);

        QCOMPARE(emitters, (QList<QThread*>{qApp->thread(), qApp->thread()}));
        watcher.stop();
        QVERIFY(!watcher.isRunning());
    }

    void startFailsWithoutAMountTable() {
        QTemporaryDir dir;
        QtDeviceWatcher watcher({}, nullptr, dir.filePath("missing").toStdString());
        QVERIFY(!watcher.start());
        QVERIFY(!watcher.isRunning());
    }

    void destroyingWithANotificationInFlightIsSafe() {
        QTemporaryDir dir;
        const QString store = dir.filePath("store");
        auto* watcher = new QtDeviceWatcher(store.toStdString(), nullptr, quietMountTable(dir));
        QVERIFY(watcher->start());
        QVERIFY(QDir().mkdir(store));
        QThread::yieldCurrentThread();
        delete watcher;  // joins the worker; a call it queued must be dropped, not run on a dead object
        QCoreApplication::processEvents();

        // A new watcher sees the folder as already there: its first notification is the removal.
        QtDeviceWatcher again(store.toStdString(), nullptr, quietMountTable(dir));
        QSignalSpy arrived(&again, &QtDeviceWatcher::deviceArrived);
        QSignalSpy removed(&again, &QtDeviceWatcher::deviceRemoved);
        QVERIFY(again.start());
        QVERIFY(QDir().rmdir(store));
        QTRY_COMPARE(removed.count(), 1);
        QCOMPARE(arrived.count(), 0);
    }
};

QTEST_GUILESS_MAIN(QtDeviceWatcherTest)
#include "QtDeviceWatcherTest.moc"
