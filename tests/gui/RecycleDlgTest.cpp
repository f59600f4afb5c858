#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "phone/RecycleMessages.h"
#include "phone/ui/CRecycleDlg.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

// Keeps the messages in the shared event log; onMessage runs while the "box" is up.
class LoggedMessages : public IMessageSink {
public:
    explicit LoggedMessages(QStringList& log) : m_log(log) {}
    void showMessage(const std::string& text, MessageIcon) override {
        texts.push_back(text);
        m_log << QStringLiteral("message ") + QString::fromStdString(text);
        if (onMessage) onMessage(text);
    }
    std::vector<std::string> texts;
    std::function<void(const std::string&)> onMessage;

private:
    QStringList& m_log;
};

}  // namespace

class RecycleDlgTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        Fixture() {
            volume.writeIndex(VolumeBuilder::header(2, 65));
            locator.root = folder.path();
        }
        void binRecording(const std::string& name, char direction = 'B') const {
            VolumeBuilder::writeRecording(volume.recycle() + name, direction, "13800138000");
        }
        TempFolder folder;
        VolumeBuilder volume{folder.path()};
        PhoneIndexHeader header = VolumeBuilder::header(2, 65);
        FakeLocator locator;
        QStringList log;
        LoggedMessages messages{log};
    };

    static QTableWidget* list(CRecycleDlg& dlg) { return dlg.findChild<QTableWidget*>(QStringLiteral("1003")); }
    static QPushButton* button(CRecycleDlg& dlg, const char* id) {
        return dlg.findChild<QPushButton*>(QString::fromLatin1(id));
    }
    static QProgressBar* progress(CRecycleDlg& dlg) { return dlg.findChild<QProgressBar*>(QStringLiteral("1052")); }
    static void selectRows(CRecycleDlg& dlg, std::initializer_list<int> rows) {
        QTableWidget* table = list(dlg);
        table->clearSelection();
        for (const int row : rows) {
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    static QString cell(CRecycleDlg& dlg, int row, int column) { return list(dlg)->item(row, column)->text(); }
    // Logs the index counters on the telephone when the header write is reported, and the rescan request.
    static void logIndexAndRescan(CRecycleDlg& dlg, Fixture& f) {
        connect(&dlg, &CRecycleDlg::phoneIndexSaved, &dlg, [&f](bool written) {
            const PhoneIndexHeader onDisk = f.volume.writtenHeader();
            f.log << QStringLiteral("saved %1 count %2 serial %3")
                         .arg(written)
                         .arg(onDisk.recordingCount())
                         .arg(onDisk.nextSerial());
        });
        connect(&dlg, &CRecycleDlg::phoneRescanRequested, &dlg, [&f] { f.log << QStringLiteral("rescan"); });
    }

private slots:
    void windowHasItsControlsAndColumns() {
        Fixture f;
        f.binRecording("VOI00007.WAV", 'Z');
        CRecycleDlg dlg(f.folder.path(), f.header, f.messages, f.locator);

        QCOMPARE(dlg.windowTitle(), QStringLiteral("回收站"));
        QCOMPARE(button(dlg, "1")->text(), QStringLiteral("还原"));
        QVERIFY(button(dlg, "1")->isDefault());
        QCOMPARE(button(dlg, "1030")->text(), QStringLiteral("永久删除"));
        QCOMPARE(button(dlg, "2")->text(), QStringLiteral("关闭"));
        QVERIFY(progress(dlg)->isHidden());
        QTableWidget* table = list(dlg);
        QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(table->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(table->showGrid());
        const QStringList titles = {"序号",    "文件名",   "录音类型", "电话号码",
                                    "主/被叫", "开始时间", "录音时长", "文件长度"};
        const QList<int> widths = {40, 100, 80, 110, 60, 120, 80, 120};
        QCOMPARE(table->columnCount(), 8);
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(table->horizontalHeaderItem(column)->text(), titles[column]);
            QCOMPARE(table->columnWidth(column), widths[column]);
        }
        QCOMPARE(table->rowCount(), 1);
        const QStringList row = {"1",    "VOI00007.WAV",     "通话录音", "13800138000",
                                 "主叫", "2011-05-18 09:07", "2秒",      "4K"};
        for (int column = 0; column < 8; ++column) QCOMPARE(cell(dlg, 0, column), row[column]);
    }

    void withoutATelephoneTheListIsEmptyAndRestoreSaysNotReady() {
        Fixture f;
        VolumeBuilder::writeRecording(f.volume.recycle() + "REC00001.WAV",
                                      VolumeBuilder::info('B', "", 11, 1, 1, 1, 1));
        const auto previous = fs::current_path();
        fs::current_path(f.folder.path());
        CRecycleDlg dlg("", f.header, f.messages, f.locator);
        fs::current_path(previous);

        QCOMPARE(list(dlg)->rowCount(), 0);
        QVERIFY(fs::exists(f.volume.recycle() + "REC00001.WAV"));
        button(dlg, "1")->click();
        button(dlg, "1030")->click();
        QCOMPARE(f.messages.texts, (std::vector<std::string>{kDeviceNotReady, kNoBinRowSelected}));
    }

    void restoreShowsProgressSavesTheHeaderThenAsksForARescan() {
        Fixture f;
        for (const char* name : {"VOA00001.WAV", "VOI00002.WAV", "VOX00003.WAV"}) f.binRecording(name);
        CRecycleDlg dlg(f.folder.path(), f.header, f.messages, f.locator);
        dlg.show();
        logIndexAndRescan(dlg, f);
        connect(progress(dlg), &QProgressBar::valueChanged, &dlg, [&](int value) {
            if (value > 0) f.log << QStringLiteral("progress %1 of %2").arg(value).arg(progress(dlg)->maximum());
        });
        bool closeDisabledAtEnd = false;
        f.messages.onMessage = [&](const std::string&) { closeDisabledAtEnd = !button(dlg, "2")->isEnabled(); };

        button(dlg, "1")->click();  // nothing selected yet
        QCOMPARE(f.messages.texts, std::vector<std::string>{kNoRestoreRowSelected});
        f.log.clear();
        list(dlg)->selectAll();
        button(dlg, "1")->click();
        QVERIFY(dlg.isRestoring());
        QVERIFY(!button(dlg, "2")->isEnabled());
        QTRY_VERIFY(!dlg.isRestoring());

        const QStringList expected = {"progress 1 of 3",           "progress 2 of 3",    "progress 3 of 3",
                                      "saved 1 count 5 serial 68", "message 还原完毕！", "rescan"};
        QCOMPARE(f.log, expected);
        QVERIFY(closeDisabledAtEnd);
        QVERIFY(button(dlg, "2")->isEnabled());
        QVERIFY(progress(dlg)->isHidden());
        QCOMPARE(list(dlg)->rowCount(), 0);  // the list was read again: the bin is empty now
        QCOMPARE(VolumeBuilder::sortedNames(f.volume.voice()),
                 (std::vector<std::string>{"VOA00065.WAV", "VOI00066.WAV", "VOJ00067.WAV"}));
        QCOMPARE(f.header.nextSerial(), 68);
    }

    void enterInTheListStartsARestore() {
        Fixture f;
        f.binRecording("VOC00004.WAV");
        CRecycleDlg dlg(f.folder.path(), f.header, f.messages, f.locator);
        dlg.show();
        selectRows(dlg, {0});
        QTest::keyClick(list(dlg), Qt::Key_Return);
        QVERIFY(dlg.isRestoring());
        QTRY_VERIFY(!dlg.isRestoring());
        QVERIFY(fs::exists(f.volume.voice() + "VOC00065.WAV"));
        QCOMPARE(f.messages.texts, std::vector<std::string>{kRestoreDone});
        QVERIFY(dlg.isVisible());  // Enter restores; it does not close the window
    }

    void permanentDeleteRemovesTheFilesAndRowsOnly() {
        Fixture f;
        for (const char* name : {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"}) f.binRecording(name);
        const auto index = f.volume.indexBytes();
        CRecycleDlg dlg(f.folder.path(), f.header, f.messages, f.locator);
        const QString kept = cell(dlg, 1, 1);
        const QString first = cell(dlg, 0, 1);

        button(dlg, "1030")->click();
        QCOMPARE(f.messages.texts, std::vector<std::string>{kNoBinRowSelected});
        selectRows(dlg, {0, 2});
        button(dlg, "1030")->click();

        QCOMPARE(list(dlg)->rowCount(), 1);
        QCOMPARE(cell(dlg, 0, 1), kept);
        QCOMPARE(cell(dlg, 0, 0), QStringLiteral("2"));  // the rows left keep their numbers
        QCOMPARE(VolumeBuilder::sortedNames(f.volume.recycle()), std::vector<std::string>{kept.toStdString()});
        QVERIFY(!fs::exists(f.volume.recycle() + first.toStdString()));
        QCOMPARE(f.volume.indexBytes(), index);
        QCOMPARE(f.messages.texts.size(), std::size_t{1});
    }

    void telephoneRemovedAndPluggedInAgainWhileOpen() {
        Fixture f;
        f.binRecording("VOA00001.WAV");
        f.binRecording("VOB00002.WAV");
        CRecycleDlg dlg(f.folder.path(), f.header, f.messages, f.locator);
        QSignalSpy forwarded(&dlg, &CRecycleDlg::deviceChangeForwarded);

        dlg.OnDeviceChange(CRecycleDlg::DeviceEvent::RemoveComplete);  // another device: the telephone is there
        dlg.OnDeviceChange(CRecycleDlg::DeviceEvent::Arrival);         // a telephone is known already
        QCOMPARE(list(dlg)->rowCount(), 2);
        QCOMPARE(forwarded.count(), 0);
        QVERIFY(f.messages.texts.empty());

        f.locator.root.clear();
        dlg.OnDeviceChange(CRecycleDlg::DeviceEvent::RemoveComplete);
        QCOMPARE(list(dlg)->rowCount(), 0);
        QVERIFY(dlg.driveRoot().empty());
        QCOMPARE(f.messages.texts, std::vector<std::string>{kPhoneRemoved});
        QCOMPARE(forwarded.count(), 1);
        QCOMPARE(forwarded.at(0).at(0).value<CRecycleDlg::DeviceEvent>(), CRecycleDlg::DeviceEvent::RemoveComplete);
        dlg.OnDeviceChange(CRecycleDlg::DeviceEvent::RemoveComplete);
        QCOMPARE(forwarded.count(), 1);

        dlg.OnDeviceChange(CRecycleDlg::DeviceEvent::Arrival);  // some other device, still no telephone
        QCOMPARE(list(dlg)->rowCount(), 0);
        QCOMPARE(forwarded.count(), 2);
        f.locator.root = f.folder.path();
        dlg.OnDeviceChange(CRecycleDlg::DeviceEvent::Arrival);
        QCOMPARE(list(dlg)->rowCount(), 2);
        QCOMPARE(dlg.driveRoot(), f.folder.path());
        QCOMPARE(forwarded.count(), 3);
        QCOMPARE(forwarded.at(2).at(0).value<CRecycleDlg::DeviceEvent>(), CRecycleDlg::DeviceEvent::Arrival);
        QCOMPARE(f.messages.texts.size(), std::size_t{1});
    }

    // A name that is not UTF-8 can't survive display text: the window acts on the name read from the bin,
    // never on a different file whose name decodes to the same text.
    void rowsWhoseNamesAreNotUtf8AreRestoredAndDeletedByTheirOwnNames() {
        Fixture f;
        const std::string restored = "VOA0001\xff.WAV";
        const std::string deleted = "VOB0002\xfe.WAV";
        // Not listed (14 bytes), but its name is what the two rows' display texts encode back to.
        const std::string lookalike = "VOB0002\xef\xbf\xbd.WAV";
        f.binRecording(restored);
        f.binRecording(deleted);
        f.binRecording(lookalike);
        const auto restoredBytes = VolumeBuilder::readBytes(f.volume.recycle() + restored);
        CRecycleDlg dlg(f.folder.path(), f.header, f.messages, f.locator);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTableWidget* table = list(dlg);
        QCOMPARE(table->rowCount(), 2);
        const auto clickRow = [&](int row) {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                              table->visualRect(table->model()->index(row, 1)).center());
        };

        clickRow(1);
        QTest::mouseClick(button(dlg, "1030"), Qt::LeftButton);
        QVERIFY(f.messages.texts.empty());
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(VolumeBuilder::sortedNames(f.volume.recycle()), (std::vector<std::string>{restored, lookalike}));

        clickRow(0);
        QTest::mouseClick(button(dlg, "1"), Qt::LeftButton);
        QTRY_VERIFY(!dlg.isRestoring());
        QCOMPARE(f.messages.texts, std::vector<std::string>{kRestoreDone});
        QCOMPARE(VolumeBuilder::readBytes(f.volume.voice() + "VOA00065.WAV"), restoredBytes);
        QCOMPARE(VolumeBuilder::sortedNames(f.volume.recycle()), std::vector<std::string>{lookalike});
    }

    void closingDuringARestoreFinishesTheFileSavesAndStops() {
        Fixture f;
        for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}) f.binRecording(name);
        CRecycleDlg dlg(f.folder.path(), f.header, f.messages, f.locator);
        dlg.show();
        logIndexAndRescan(dlg, f);
        // The second row's file goes away behind the list's back, so its restore stops on a message;
        // Esc is pressed while that message is up.
        const std::string second = cell(dlg, 1, 1).toStdString();
        fs::remove(f.volume.recycle() + second);
        bool stillOpen = false;
        f.messages.onMessage = [&](const std::string& text) {
            if (text != kRestoreFileFailed) return;
            QTest::keyClick(&dlg, Qt::Key_Escape);
            stillOpen = dlg.isVisible();
        };

        list(dlg)->selectAll();
        button(dlg, "1")->click();
        QTRY_VERIFY(!dlg.isVisible());

        QVERIFY(stillOpen);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isRestoring());
        const QStringList expected = {QStringLiteral("message ") + kRestoreFileFailed, "saved 1 count 3 serial 66",
                                      "rescan"};
        QCOMPARE(f.log, expected);
        QCOMPARE(VolumeBuilder::sortedNames(f.volume.voice()), std::vector<std::string>{"VOA00065.WAV"});
        QCOMPARE(VolumeBuilder::sortedNames(f.volume.recycle()).size(), std::size_t{1});
    }
};

QTEST_MAIN(RecycleDlgTest)
#include "RecycleDlgTest.moc"
