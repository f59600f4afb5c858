// Names and notes through the main window, with the real catalogue behind it: a contact added in the
// phonebook window names its number in the phone list and the search results, and a note typed from
// the search results finds its recording.
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/MainArchiveController.h"
#include "app/ui/TeamPhonebookSyncer.h"
#include "contacts/ui/CContactDlg.h"
#include "contacts/ui/CNoteDlg.h"
#include "contacts/ui/CPhonebookDlg.h"
#include "search/ui/CQueryDlg.h"
#include "settings/SettingsStore.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/gui/ModalDriver.h"
#include "tests/support/FakeTeamPhonebook.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/RecordingSpreadsheet.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class FolderChoice : public IArchiveFileChooser {
public:
    explicit FolderChoice(QString folder) : m_folder(std::move(folder)) {}
    QStringList chooseRecordingFiles(QWidget*) override { return {}; }
    std::optional<QString> chooseFolder(QWidget*) override { return m_folder; }

private:
    QString m_folder;
};

// The cells an export wrote, kept when the spreadsheet is let go.
class SheetLog : public RecordingSpreadsheet {
public:
    explicit SheetLog(std::vector<std::string>& cells) : m_cells(cells) {}
    void release() override { m_cells = cellCalls(); }

private:
    std::vector<std::string>& m_cells;
};

bool wrote(const std::vector<std::string>& cells, const std::string& cell) {
    return std::find(cells.begin(), cells.end(), "putCellText " + cell) != cells.end();
}

template <typename T>
T* child(QWidget& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

QStringList column(QAbstractItemModel* model, int column) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, column).data().toString();
    return texts;
}

// "file name: name" for every row with a name, in file-name order (the lists keep the folder's order).
QStringList namedFiles(QAbstractItemModel* model, int nameColumn) {
    QStringList named;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString name = model->index(row, nameColumn).data().toString();
        // The number cell names its caller too, in its tooltip.
        const QString tip = model->index(row, 3).data(Qt::ToolTipRole).toString();
        if (!name.isEmpty() || !tip.isEmpty())
            named << model->index(row, 1).data().toString() + QStringLiteral(": ") + name +
                         (tip == name ? QString() : QStringLiteral(" tooltip ") + tip);
    }
    named.sort();
    return named;
}

}  // namespace

class NamesAndNotesWiringTest : public QObject {
    Q_OBJECT

private:
    TempFolder m_folder;
    SettingsStore m_settings;
    FakeLocator m_locator;
    RecordingMessages m_messages;

    std::string uploads() const { return m_folder.path() + "uploads"; }

private slots:
    void aContactNamesItsNumberAndANoteFindsItsRecording() {
        m_settings.Load(m_folder.path() + "config.ini");
        fs::create_directory(uploads());
        buildPhone(m_folder.path() + "phone/", 3);  // numbers 13800138000, ...01, ...02
        m_locator.root = m_folder.path() + "phone/";
        FolderChoice archive(QString::fromStdString(uploads()));
        MainWindowServices services = servicesWithCatalogues();
        services.searchMessages = &m_messages;
        services.phonebookMessages = &m_messages;
        services.archiveChooser = &archive;
        std::vector<std::string> sheet;
        services.makeSpreadsheet = [&sheet] { return std::make_unique<SheetLog>(sheet); };
        auto chooser = [this](QWidget*, const QString&, const QString&, QWidget*) {
            return QString::fromStdString(uploads());
        };
        CTapelinkDlg window(m_settings, m_locator, m_messages, chooser, services);
        window.show();
        QVERIFY(waitForListing(window));
        window.action(cmd::kUploadNew)->trigger();
        QTRY_VERIFY(!window.uploadRunning() && !window.archive().isBusy());
        QCOMPARE(m_messages.texts, std::vector<std::string>{"传输完毕！"});
        m_messages.texts.clear();

        bool phonebookSeen = false;
        auto phonebook = whenModal<CPhonebookDlg>(
            [](CPhonebookDlg& dialog) {
                auto add = whenModal<CContactDlg>([](CContactDlg& contact) {
                    child<QLineEdit>(contact, "name")->setText(QStringLiteral("张三"));
                    // Written as people write it: the number matches by its digits.
                    child<QPlainTextEdit>(contact, "numbers")->setPlainText(QStringLiteral("+86 138-0013-8001"));
                    QTest::mouseClick(child<QPushButton>(contact, "1"), Qt::LeftButton);
                });
                QTest::mouseClick(child<QPushButton>(dialog, "add"), Qt::LeftButton);
            },
            &phonebookSeen);
        window.action(cmd::kContacts)->trigger();
        QVERIFY(phonebookSeen);
        QCOMPARE(window.listView()->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("姓名"));
        QTRY_COMPARE(namedFiles(window.listView()->model(), 9), QStringList{"VOA00002.WAV: 张三"});

        bool searchSeen = false;
        auto search = whenModal<CQueryDlg>(
            [this, &sheet](CQueryDlg& dialog) {
                QTest::mouseClick(child<QPushButton>(dialog, "1064"), Qt::LeftButton);
                auto* list = child<QTableView>(dialog, "1026");
                QCOMPARE(list->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("姓名"));
                QCOMPARE(list->model()->rowCount(), 3);
                QCOMPARE(namedFiles(list->model(), 9), QStringList{"VOA00002.WAV: 张三"});

                // A note on the third recording, typed and kept with 确定.
                list->selectRow(2);
                bool noteSeen = false;
                auto note = whenModal<CNoteDlg>(
                    [](CNoteDlg& dialog) {
                        child<QPlainTextEdit>(dialog, "note")->setPlainText(QStringLiteral("客户投诉"));
                        child<QLineEdit>(dialog, "tags")->setText(QStringLiteral("重要 回访"));
                        QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
                    },
                    &noteSeen);
                QTest::mouseClick(child<QPushButton>(dialog, "notes"), Qt::LeftButton);
                QTRY_VERIFY(noteSeen);
                QVERIFY(m_messages.texts.empty());

                child<QLineEdit>(dialog, "noteText")->setText(QStringLiteral("回访"));
                QTest::mouseClick(child<QPushButton>(dialog, "1025"), Qt::LeftButton);
                QCOMPARE(column(list->model(), 1), QStringList{"VOA00003.WAV"});
                // The number field takes a part of a name too.
                child<QLineEdit>(dialog, "noteText")->clear();
                child<QLineEdit>(dialog, "1023")->setText(QStringLiteral("张"));
                QTest::mouseClick(child<QPushButton>(dialog, "1025"), Qt::LeftButton);
                QCOMPARE(column(list->model(), 1), QStringList{"VOA00002.WAV"});
                // The search's export carries the name, and the note read for it.
                child<QLineEdit>(dialog, "1023")->clear();
                QTest::mouseClick(child<QPushButton>(dialog, "1025"), Qt::LeftButton);
                QTest::mouseClick(child<QPushButton>(dialog, "1037"), Qt::LeftButton);
                QVERIFY(wrote(sheet, "1 9 备注"));
                const QStringList files = column(list->model(), 1);
                QVERIFY(wrote(sheet, std::to_string(files.indexOf("VOA00002.WAV") + 2) + " 8 张三"));
                QVERIFY(wrote(sheet, std::to_string(files.indexOf("VOA00003.WAV") + 2) + " 9 客户投诉 [重要] [回访]"));
            },
            &searchSeen);
        window.action(cmd::kSearch)->trigger();
        QVERIFY(searchSeen);
        QVERIFY(m_messages.texts.empty());

        // The phone list's export names the caller and carries the note of the archived copy.
        window.action(cmd::kExportExcel)->trigger();
        const auto sheetRow = [&window](const std::string& fileName) {
            for (int row = 0; row < window.listTexts().rowCount(); ++row) {
                if (window.listTexts().cellText(row, 1) == fileName) return std::to_string(row + 2);
            }
            return std::string("none");
        };
        QVERIFY(wrote(sheet, "1 7 姓名") && wrote(sheet, "1 8 备注"));
        QVERIFY(wrote(sheet, sheetRow("VOA00002.WAV") + " 7 张三"));
        QVERIFY(wrote(sheet, sheetRow("VOA00003.WAV") + " 8 客户投诉 [重要] [回访]"));
    }

    // On a team desk the team's names reach the list, exchanged off the window's thread; what is typed in the
    // phonebook window goes to the team, and a lost server is told once the user changed something.
    void theTeamsNamesReachTheListAndTheTeamGetsWhatIsTypedIn() {
        TempFolder folder;
        SettingsStore settings;
        settings.Load(folder.path() + "config.ini");
        const std::string uploads = folder.path() + "uploads";
        fs::create_directory(uploads);
        buildPhone(folder.path() + "phone/", 3);
        FakeLocator locator;
        locator.root = folder.path() + "phone/";
        RecordingMessages messages;
        auto server = std::make_shared<FakeTeamPhonebook::Server>();
        server->entries.push_back({{0, "李四", {"13800138000"}, ""}, "sales", ""});
        MainWindowServices services = servicesWithCatalogues();
        services.phonebookMessages = &messages;
        services.openTeamPhonebook = [server] { return std::make_unique<FakeTeamPhonebook>(server); };
        auto chooser = [&uploads](QWidget*, const QString&, const QString&, QWidget*) {
            return QString::fromStdString(uploads);
        };
        CTapelinkDlg window(settings, locator, messages, chooser, services);
        window.show();
        QVERIFY(waitForListing(window));
        window.action(cmd::kUploadNew)->trigger();  // the folder picked starts an exchange
        QTRY_VERIFY(!window.uploadRunning() && !window.archive().isBusy() && !window.teamPhonebook()->isRunning());
        QTRY_COMPARE(namedFiles(window.listView()->model(), 9), QStringList{"VOA00001.WAV: 李四"});

        auto phonebook = whenModal<CPhonebookDlg>([](CPhonebookDlg& dialog) {
            auto add = whenModal<CContactDlg>([](CContactDlg& contact) {
                child<QLineEdit>(contact, "name")->setText(QStringLiteral("张三"));
                child<QPlainTextEdit>(contact, "numbers")->setPlainText(QStringLiteral("13800138001"));
                QTest::mouseClick(child<QPushButton>(contact, "1"), Qt::LeftButton);
            });
            QTest::mouseClick(child<QPushButton>(dialog, "add"), Qt::LeftButton);
        });
        window.action(cmd::kContacts)->trigger();
        QTRY_VERIFY(!window.teamPhonebook()->isRunning());
        {
            std::lock_guard lock(server->mutex);
            QCOMPARE(server->entries.size(), 2u);
            QCOMPARE(server->entries[1].contact.name, std::string("张三"));
            QVERIFY(!server->callers.empty());
            for (const std::thread::id caller : server->callers) QVERIFY(caller != std::this_thread::get_id());
            server->answer = TeamStatus::ConnectionLost;
        }
        messages.texts.clear();
        window.teamPhonebook()->sync(uploads, true);
        QTRY_COMPARE(messages.texts, std::vector<std::string>{"与存档的连接已断开，请重试。"});
        QCOMPARE(namedFiles(window.listView()->model(), 9), (QStringList{"VOA00001.WAV: 李四", "VOA00002.WAV: 张三"}));
    }
};

QTEST_MAIN(NamesAndNotesWiringTest)
#include "NamesAndNotesWiringTest.moc"
