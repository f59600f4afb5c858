#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "app/ColumnWidthsFile.h"
#include "archive/SearchMessages.h"
#include "archive/ui/CQueryDlg.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

class FakeChooser : public IArchiveFileChooser {
public:
    QStringList chooseRecordingFiles(QWidget*) override {
        ++fileCalls;
        return files;
    }
    std::optional<QString> chooseFolder(QWidget*) override {
        ++folderCalls;
        return folder;
    }

    QStringList files;
    std::optional<QString> folder;
    int fileCalls = 0;
    int folderCalls = 0;
};

}  // namespace

class CQueryDlgTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        TempFolder temp;
        RecordingMessages messages;
        FakeChooser chooser;
        CQueryDlg dialog{nullptr, &messages, &chooser};

        template <typename T>
        T* control(const char* id) {
            return dialog.findChild<T*>(QString::fromLatin1(id));
        }
        QTableView* list() { return control<QTableView>("1026"); }
        void click(const char* id) { QTest::mouseClick(control<QPushButton>(id), Qt::LeftButton); }
        QString cell(int row, int column) { return list()->model()->index(row, column).data().toString(); }
        void recordings(int count) {
            for (int i = 1; i <= count; ++i) {
                const char kind = "ABCIJK"[i % 6];
                char name[32];
                std::snprintf(name, sizeof name, "VO%c%05d.WAV", kind, i);
                VolumeBuilder::writeRecording(
                    temp.path() + name,
                    VolumeBuilder::info(i % 2 ? 'Z' : 'B', "1380" + std::to_string(i), 11, 5, 18, 9, i));
            }
        }
        void addFolder() {
            chooser.folder = QString::fromStdString(temp.path());
            click("1064");
        }
        void selectRows(std::initializer_list<int> rows) {
            list()->clearSelection();
            for (int row : rows) {
                list()->selectionModel()->select(list()->model()->index(row, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
        }
        QList<int> selected() {
            QList<int> rows;
            for (const QModelIndex& index : list()->selectionModel()->selectedRows()) rows << index.row();
            std::sort(rows.begin(), rows.end());
            return rows;
        }
    };

private slots:
    void opensWithItsCaptionControlsAndInitialValues() {
        Fixture f;
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("quorvalent Audio 语音查询"));
        // 599 x 274 dialog units, and 20 more below for the notes' criterion.
        QCOMPARE(f.dialog.size(), QSize(899, 441));
        QCOMPARE(f.control<QDateTimeEdit>("1044")->dateTime(), QDateTime(QDate(2010, 3, 1), QTime(0, 0, 0)));
        const QDateTime end = f.control<QDateTimeEdit>("1045")->dateTime();
        QVERIFY(qAbs(end.secsTo(QDateTime::currentDateTime())) < 120);

        QComboBox* side = f.control<QComboBox>("1021");
        QComboBox* kind = f.control<QComboBox>("1022");
        QCOMPARE(side->count(), 3);
        QCOMPARE(side->itemText(1), QStringLiteral("主叫"));
        QCOMPARE(side->itemText(2), QStringLiteral("被叫"));
        QCOMPARE(kind->count(), 4);
        QCOMPARE(kind->itemText(0), QStringLiteral("全部"));
        QCOMPARE(kind->itemText(2), QStringLiteral("留言录音"));
        QCOMPARE(kind->itemText(3), QStringLiteral("本地录音"));
        QCOMPARE(side->currentIndex(), 0);
        QCOMPARE(kind->currentIndex(), 0);
        QCOMPARE(f.control<QLineEdit>("1023")->maxLength(), 16);

        const QList<QPair<const char*, QString>> buttons = {{"1025", "查找"},     {"1037", "导出EXCEL"},
                                                            {"1063", "添加文件"}, {"1064", "添加文件夹"},
                                                            {"1065", "删除"},     {"1066", "播放"}};
        for (const auto& [id, caption] : buttons) {
            QVERIFY2(f.control<QPushButton>(id) != nullptr, id);
            QCOMPARE(f.control<QPushButton>(id)->text(), caption);
            QVERIFY(!f.control<QPushButton>(id)->autoDefault());
        }

        QHeaderView* header = f.list()->horizontalHeader();
        QCOMPARE(f.list()->model()->columnCount(), 10);
        const QStringList titles = {"序号",     "文件名",   "录音类型", "电话号码", "主/被叫",
                                    "开始时间", "录音时长", "文件长度", "路径"};
        const QList<int> widths = {40, 90, 70, 100, 60, 120, 90, 70, 190};
        for (int column = 0; column < 9; ++column) {
            QCOMPARE(f.list()->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
            QCOMPARE(header->sectionSize(column), widths[column]);
        }
        QCOMPARE(f.list()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!header->sectionsClickable());
    }

    void resizedColumnWidthsComeBackNextTime() {
        test::TempFolder profile;
        const std::string path = columnWidthsFilePath(profile.path());
        auto store = std::make_shared<ColumnWidthsFile>();
        store->Load(path);
        RecordingMessages messages;
        {
            CQueryDlg dialog(nullptr, &messages, nullptr, store);
            dialog.findChild<QTableView*>(QStringLiteral("1026"))->horizontalHeader()->resizeSection(8, 260);
        }
        auto reread = std::make_shared<ColumnWidthsFile>();
        reread->Load(path);
        CQueryDlg dialog(nullptr, &messages, nullptr, reread);
        const QHeaderView* header = dialog.findChild<QTableView*>(QStringLiteral("1026"))->horizontalHeader();
        QCOMPARE(header->sectionSize(8), 260);
        QCOMPARE(header->sectionSize(0), 40);
    }

    void aClickOnTheDatePickersArrowDropsItsCalendarRightAlignedUnderIt() {
        Fixture f;
        // The end picker whole on the screen, with room left of it for a right-aligned calendar.
        f.dialog.move(-100, 100);
        f.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.dialog));
        auto* picker = f.control<QDateTimeEdit>("1045");
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(picker->width() - 4, picker->height() / 2));
        QWidget* calendar = picker->calendarWidget()->window();
        QTRY_VERIFY(calendar->isVisible());
        const QRect field(picker->mapToGlobal(QPoint(0, 0)), picker->size());
        QCOMPARE(calendar->frameGeometry().right(), field.right());
        QVERIFY(calendar->frameGeometry().top() > field.bottom() - 2);
        calendar->hide();
    }

    void tabOrderFollowsTheIdsAndTheStartPickerHasTheFocus() {
        Fixture f;
        f.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
        QTRY_COMPARE(QApplication::focusWidget(), f.control<QWidget>("1044"));
        const QStringList order = {"1044", "1045", "1021", "1022", "1023",  "1025",     "1037", "1026",
                                   "1063", "1064", "1065", "1066", "notes", "noteText", "1044"};
        for (int i = 1; i < order.size(); ++i) {
            QWidget* next = f.control<QWidget>(order[i - 1].toLatin1().constData())->nextInFocusChain();
            while (next->parentWidget() != &f.dialog || next->focusPolicy() == Qt::NoFocus) {
                next = next->nextInFocusChain();
            }
            QCOMPARE(next->objectName(), order[i]);
        }
    }

    void addFolderListsEveryRecordingAndCancelEmptiesIt() {
        Fixture f;
        f.recordings(4);
        f.addFolder();
        QCOMPARE(f.chooser.folderCalls, 1);
        QCOMPARE(f.list()->model()->rowCount(), 4);
        QCOMPARE(f.cell(0, 1), QStringLiteral("VOB00001.WAV"));
        QCOMPARE(f.cell(3, 8), QString::fromStdString(f.temp.path() + "VOJ00004.WAV"));
        QCOMPARE(QString::fromStdString(f.dialog.searchFolder()), QString::fromStdString(f.temp.path()));

        f.chooser.folder.reset();
        f.click("1064");
        QCOMPARE(f.list()->model()->rowCount(), 0);
        QCOMPARE(f.dialog.searchFolder(), std::string());
        QVERIFY(f.messages.texts.empty());
        f.click("1025");
        QCOMPARE(f.messages.texts, std::vector<std::string>{kMsgNoSearchFolder});
    }

    void searchReadsTheCriteriaFromTheControls() {
        Fixture f;
        f.recordings(12);
        f.addFolder();
        f.click("1025");
        QCOMPARE(f.list()->model()->rowCount(), 12);

        f.control<QComboBox>("1022")->setCurrentIndex(2);  // 留言录音: C and K
        f.click("1025");
        QCOMPARE(f.list()->model()->rowCount(), 4);
        f.control<QComboBox>("1021")->setCurrentIndex(1);  // 主叫: odd serials
        f.click("1025");
        QCOMPARE(f.list()->model()->rowCount(), 2);
        QCOMPARE(f.cell(0, 1), QStringLiteral("VOK00005.WAV"));
        QCOMPARE(f.cell(1, 1), QStringLiteral("VOK00011.WAV"));
        for (int row = 0; row < 2; ++row) QCOMPARE(f.cell(row, 4), QStringLiteral("主叫"));
        QCOMPARE(f.cell(1, 0), QStringLiteral("2"));

        f.control<QComboBox>("1021")->setCurrentIndex(0);
        f.control<QComboBox>("1022")->setCurrentIndex(0);
        f.control<QLineEdit>("1023")->setText(QStringLiteral("13801"));
        f.click("1025");
        QCOMPARE(f.list()->model()->rowCount(), 4);  // 13801, 138010, 138011, 138012

        f.control<QLineEdit>("1023")->clear();
        f.control<QDateTimeEdit>("1044")->setDateTime(QDateTime(QDate(2011, 5, 19), QTime(0, 0)));
        f.click("1025");
        QCOMPARE(f.list()->model()->rowCount(), 0);
        QCOMPARE(f.messages.texts, std::vector<std::string>{kMsgNothingFound});

        f.control<QDateTimeEdit>("1044")->setDateTime(QDateTime(QDate(2011, 5, 18), QTime(12, 0)));
        f.control<QDateTimeEdit>("1045")->setDateTime(QDateTime(QDate(2011, 5, 18), QTime(11, 0)));
        f.click("1025");
        QCOMPARE(f.messages.texts.back(), std::string(kMsgStartAfterEnd));
    }

    void addFilesAppendsRowsFromTheChooser() {
        Fixture f;
        f.recordings(3);
        f.chooser.files = {QString::fromStdString(f.temp.path() + "VOC00002.WAV"),
                           QString::fromStdString(f.temp.path() + "VOB00001.WAV")};
        f.click("1063");
        QCOMPARE(f.chooser.fileCalls, 1);
        QCOMPARE(f.list()->model()->rowCount(), 2);
        QCOMPARE(f.cell(0, 2), QStringLiteral("留言录音"));
        QCOMPARE(f.cell(1, 0), QStringLiteral("2"));
        QCOMPARE(f.cell(1, 3), QString());

        f.chooser.files.clear();  // cancelled
        f.click("1063");
        QCOMPARE(f.list()->model()->rowCount(), 2);
    }

    void removeTakesTheSelectedRowsAndTheRestKeepTheirNumbers() {
        Fixture f;
        f.recordings(6);
        f.addFolder();
        f.click("1065");
        QCOMPARE(f.messages.texts, std::vector<std::string>{kMsgSelectToRemove});
        QCOMPARE(f.list()->model()->rowCount(), 6);

        f.selectRows({1, 2, 4});
        f.click("1065");
        QCOMPARE(f.list()->model()->rowCount(), 3);
        QCOMPARE(f.cell(0, 0), QStringLiteral("1"));
        QCOMPARE(f.cell(1, 0), QStringLiteral("4"));
        QCOMPARE(f.cell(2, 0), QStringLiteral("6"));
        QCOMPARE(f.dialog.resultTexts().cellText(1, 1), std::string("VOI00003.WAV"));
        QVERIFY(std::filesystem::exists(f.temp.path() + "VOB00001.WAV"));

        f.selectRows({0, 1});  // a block of rows goes the same way
        f.click("1065");
        QCOMPARE(f.list()->model()->rowCount(), 1);
        QCOMPARE(f.cell(0, 0), QStringLiteral("6"));

        // The next search scans the folder again: the rows are back.
        f.click("1025");
        QCOMPARE(f.list()->model()->rowCount(), 6);
    }

    void selectionServicesStepWithWrapAround() {
        Fixture f;
        f.dialog.SelectNext();
        f.dialog.SelectPrevious();
        QVERIFY(f.messages.texts.empty());
        QCOMPARE(f.dialog.GetSelectedPath(), std::string());
        QCOMPARE(f.messages.texts, std::vector<std::string>{kMsgSelectToPlay});

        f.recordings(6);
        f.addFolder();
        const auto path = [&f](int row) { return f.dialog.resultTexts().cellText(row, 8); };
        f.dialog.SelectNext();  // nothing selected: nothing happens
        QVERIFY(f.selected().isEmpty());

        f.selectRows({5});
        f.dialog.SelectNext();
        QCOMPARE(f.selected(), QList<int>{0});
        QCOMPARE(f.dialog.GetSelectedPath(), path(0));
        f.dialog.SelectPrevious();
        QCOMPARE(f.selected(), QList<int>{5});
        QCOMPARE(f.dialog.GetSelectedPath(), path(5));
        f.dialog.SelectPrevious();
        QCOMPARE(f.selected(), QList<int>{4});

        // Only the first selected row moves; the others stay selected.
        f.selectRows({1, 4});
        QCOMPARE(f.dialog.GetSelectedPath(), path(1));
        f.dialog.SelectNext();
        QCOMPARE(f.selected(), (QList<int>{2, 4}));
        f.dialog.SelectPrevious();
        QCOMPARE(f.selected(), (QList<int>{1, 4}));
        f.selectRows({0, 3});
        f.dialog.SelectPrevious();
        QCOMPARE(f.selected(), (QList<int>{3, 5}));
        QCOMPARE(f.messages.texts.size(), std::size_t{1});

        // The player is handed the dialog as its selection service.
        ISelectionService& service = f.dialog;
        QCOMPARE(service.GetSelectedPath(), path(3));
    }

    void enterNeverSearchesNorClosesAndEscCloses() {
        Fixture f;
        f.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
        QSignalSpy finished(&f.dialog, &QDialog::finished);
        // Enter is taken before any control sees it.
        QSignalSpy returnPressed(f.control<QLineEdit>("1023"), &QLineEdit::returnPressed);
        for (const char* id : {"1023", "1025", "1044", "1026", "1064"}) {
            QWidget* widget = f.control<QWidget>(id);
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_Return);
            QTest::keyClick(widget, Qt::Key_Enter);
        }
        QVERIFY(f.messages.texts.empty());  // a search here would say there is no folder
        QCOMPARE(f.chooser.folderCalls, 0);
        QVERIFY(f.dialog.isVisible());
        QCOMPARE(finished.count(), 0);
        QCOMPARE(returnPressed.count(), 0);

        f.control<QWidget>("1023")->setFocus();
        QTest::keyClick(f.control<QWidget>("1023"), Qt::Key_Escape);
        QTRY_VERIFY(!f.dialog.isVisible());
        QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    }

    void playAndExportAreSignalsForTheOwner() {
        Fixture f;
        QSignalSpy play(&f.dialog, &CQueryDlg::playRequested);
        QSignalSpy exportList(&f.dialog, &CQueryDlg::exportRequested);
        f.click("1066");
        f.click("1037");
        QCOMPARE(play.count(), 1);
        QCOMPARE(exportList.count(), 1);
        QVERIFY(f.messages.texts.empty());
    }

    void deviceNotificationsArePostedOnToTheOwner() {
        Fixture f;
        QSignalSpy arrived(&f.dialog, &CQueryDlg::deviceArrived);
        QSignalSpy removed(&f.dialog, &CQueryDlg::deviceRemoved);
        f.dialog.notifyDeviceArrived();
        f.dialog.notifyDeviceRemoved();
        f.dialog.notifyDeviceArrived();
        QCOMPARE(arrived.count(), 0);  // posted, not sent
        QTRY_COMPARE(arrived.count(), 2);
        QTRY_COMPARE(removed.count(), 1);
    }
};

QTEST_MAIN(CQueryDlgTest)
#include "CQueryDlgTest.moc"
