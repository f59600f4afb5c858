// The note dialog and the phonebook window on their own: what reaches the store, and when.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <fstream>

#include "app/ui/MainWindowServices.h"
#include "contacts/ContactCsv.h"
#include "contacts/ui/CContactDlg.h"
#include "contacts/ui/CNoteDlg.h"
#include "contacts/ui/CPhonebookDlg.h"
#include "platform/SqliteCatalogueOpener.h"
#include "tests/gui/ModalDriver.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

// One stored note, and every note the dialog asked to store.
class NotesStore : public IRecordingNotes {
public:
    CatalogueStatus noteOf(const std::string&, RecordingNote& out) override {
        out = stored;
        return CatalogueStatus::Ok;
    }
    CatalogueStatus setNote(const std::string& fileName, const RecordingNote& note) override {
        saved.emplace_back(fileName, note);
        return saveStatus;
    }
    CatalogueStatus allNotes(std::map<std::string, RecordingNote>&) override { return CatalogueStatus::Ok; }
    CatalogueStatus filesWithText(const std::string&, std::set<std::string>&) override { return CatalogueStatus::Ok; }

    RecordingNote stored;
    CatalogueStatus saveStatus = CatalogueStatus::Ok;
    std::vector<std::pair<std::string, RecordingNote>> saved;
};

class FakeContactChooser : public IContactFileChooser {
public:
    QString chooseImportFile(QWidget*) override { return importPath; }
    QString chooseExportFile(QWidget*, const QString&) override { return exportPath; }
    QString importPath;
    QString exportPath;
};

template <typename T>
T* child(QWidget& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

QStringList row(QTableWidget* list, int r) {
    return {list->item(r, 0)->text(), list->item(r, 1)->text(), list->item(r, 2)->text()};
}

}  // namespace

class NoteAndPhonebookDlgTest : public QObject {
    Q_OBJECT

private slots:
    void theNoteIsStoredOnlyWithOk() {
        NotesStore store;
        store.stored = {"旧的备注", {"重要"}};
        RecordingMessages messages;
        {
            CNoteDlg dialog(store, "VOA00001.WAV", &messages);
            QCOMPARE(child<QPlainTextEdit>(dialog, "note")->toPlainText(), QStringLiteral("旧的备注"));
            QCOMPARE(child<QLineEdit>(dialog, "tags")->text(), QStringLiteral("重要"));
            child<QPlainTextEdit>(dialog, "note")->setPlainText(QStringLiteral("改过"));
            QTest::mouseClick(child<QPushButton>(dialog, "2"), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        QVERIFY(store.saved.empty());

        CNoteDlg dialog(store, "VOA00001.WAV", &messages);
        child<QPlainTextEdit>(dialog, "note")->setPlainText(QStringLiteral("客户投诉\n下周回访"));
        child<QLineEdit>(dialog, "tags")->setText(QStringLiteral(" 重要，回访, 重要  售后"));
        // A store that refuses keeps the dialog open and says so.
        store.saveStatus = CatalogueStatus::ReadOnly;
        QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(messages.texts.size(), std::size_t(1));
        store.saveStatus = CatalogueStatus::Ok;
        QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const RecordingNote expected{"客户投诉\n下周回访", {"重要", "回访", "售后"}};
        QCOMPARE(store.saved.back().first, std::string("VOA00001.WAV"));
        QVERIFY(store.saved.back().second == expected);
    }

    void aNoteKeepsItsFirstTwoThousandCharactersAndBadTagsAreRefused() {
        NotesStore store;
        RecordingMessages messages;
        CNoteDlg dialog(store, "VOA00001.WAV", &messages);
        auto* note = child<QPlainTextEdit>(dialog, "note");
        // Characters outside the basic plane count once each, as the store counts them.
        note->setPlainText(QString(1990, QChar(u'录')) + QString::fromUtf8("😀").repeated(20));
        QCOMPARE(note->toPlainText().toUcs4().size(), qsizetype(2000));
        QCOMPARE(child<QLabel>(dialog, "count")->text(), QStringLiteral("2000/2000"));
        note->moveCursor(QTextCursor::End);
        QTest::keyClicks(note, QStringLiteral("x"));
        QCOMPARE(note->toPlainText().toUcs4().size(), qsizetype(2000));

        child<QLineEdit>(dialog, "tags")->setText(QStringLiteral("[重要]"));
        QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
        QVERIFY(store.saved.empty());
        QCOMPARE(messages.texts.size(), std::size_t(1));
    }

    void phonebookAddsEditsRemovesImportsAndExports() {
        TempFolder folder;
        SqliteCatalogueOpener opener;
        const CatalogueOpening opening = opener.open(folder.path(), CatalogueAccess::ReadWrite);
        QVERIFY(opening.catalogue != nullptr);
        IPhonebook& phonebook = *opening.phonebook;
        RecordingMessages messages;
        FakeContactChooser chooser;
        CPhonebookDlg window(phonebook, desktopContactFiles(), folder.path(), &messages, &chooser);
        QSignalSpy changed(&window, &CPhonebookDlg::contactsChanged);
        auto* list = child<QTableWidget>(window, "list");
        QCOMPARE(list->rowCount(), 0);

        // A contact without a number is not taken; with one it is stored at once.
        auto add = whenModal<CContactDlg>([&messages](CContactDlg& dialog) {
            child<QLineEdit>(dialog, "name")->setText(QStringLiteral("张三"));
            QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
            QCOMPARE(messages.texts.back(), std::string("请至少输入一个电话号码！"));
            child<QPlainTextEdit>(dialog, "numbers")->setPlainText(QStringLiteral("138 0013 8001\n\n010-65521234"));
            child<QLineEdit>(dialog, "company")->setText(QStringLiteral("华信公司"));
            QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
        });
        QTest::mouseClick(child<QPushButton>(window, "add"), Qt::LeftButton);
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(row(list, 0), (QStringList{"张三", "138 0013 8001, 010-65521234", "华信公司"}));
        QCOMPARE(changed.size(), 1);

        // Editing changes the stored contact, cancelling changes nothing.
        list->selectRow(0);
        auto edit = whenModal<CContactDlg>([](CContactDlg& dialog) {
            child<QLineEdit>(dialog, "company")->setText(QStringLiteral("华信集团"));
            QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
        });
        QTest::mouseClick(child<QPushButton>(window, "edit"), Qt::LeftButton);
        auto cancel = whenModal<CContactDlg>([](CContactDlg& dialog) {
            child<QLineEdit>(dialog, "name")->setText(QStringLiteral("李四"));
            QTest::mouseClick(child<QPushButton>(dialog, "2"), Qt::LeftButton);
        });
        QTest::mouseClick(child<QPushButton>(window, "edit"), Qt::LeftButton);
        std::vector<Contact> stored;
        QCOMPARE(phonebook.contacts(stored), CatalogueStatus::Ok);
        QCOMPARE(stored.size(), std::size_t(1));
        QCOMPARE(stored[0].name, std::string("张三"));
        QCOMPARE(stored[0].company, std::string("华信集团"));

        // Import: a vCard with one card that has no number; the good card is added, the bad one named.
        const std::string vcard = folder.path() + "phone.vcf";
        std::ofstream(vcard) << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:王五\r\nTEL;TYPE=CELL:13900139000\r\nEND:VCARD\r\n"
                                "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:无号码\r\nEND:VCARD\r\n";
        chooser.importPath = QString::fromStdString(vcard);
        messages.texts.clear();
        QTest::mouseClick(child<QPushButton>(window, "import"), Qt::LeftButton);
        QCOMPARE(list->rowCount(), 2);
        QCOMPARE(messages.texts.size(), std::size_t(1));
        QVERIFY(messages.texts[0].find("新增 1 个") != std::string::npos);
        QVERIFY(messages.texts[0].find("第 6 行") != std::string::npos);

        // Export writes what the CSV reader reads back.
        chooser.exportPath = QString::fromStdString(folder.path() + "out.csv");
        QTest::mouseClick(child<QPushButton>(window, "export"), Qt::LeftButton);
        std::ifstream in(folder.path() + "out.csv", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const ContactFileContents exported = readContactCsv(bytes);
        QCOMPARE(exported.contacts.size(), std::size_t(2));

        // Removing the selected rows.
        list->selectAll();
        QTest::mouseClick(child<QPushButton>(window, "remove"), Qt::LeftButton);
        QCOMPARE(list->rowCount(), 0);
        QCOMPARE(phonebook.contacts(stored), CatalogueStatus::Ok);
        QVERIFY(stored.empty());
    }
};

QTEST_MAIN(NoteAndPhonebookDlgTest)
#include "NoteAndPhonebookDlgTest.moc"
