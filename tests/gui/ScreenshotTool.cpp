// Builds the program's windows over a telephone volume and saves a picture of each, with its caption
// drawn above it (a bare X server has no window manager to draw one). scripts/screenshot.sh runs it
// under Xvfb. A new dialog gets its picture by adding an entry to shots().
#include <QApplication>
#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <ctime>
#include <functional>
#include <iostream>
#include <vector>

#include "app/ui/AppLook.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CTapelinkApp.h"
#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/WorkbookSaveDialog.h"
#include "common/ui/ChineseLocale.h"
#include "common/ui/DialogFont.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/MessageBoxSink.h"
#include "common/ui/ScrollingMessageBox.h"
#include "contacts/ui/CContactDlg.h"
#include "contacts/ui/CNoteDlg.h"
#include "contacts/ui/CPhonebookDlg.h"
#include "phone/DeviceStatus.h"
#include "phone/PhoneStore.h"
#include "phone/ui/CCategoryUploadDlg.h"
#include "phone/ui/COverwriteDlg.h"
#include "phone/ui/CRecycleDlg.h"
#include "platform/LibraryShareTools.h"
#include "platform/LinuxDeviceLocator.h"
#include "platform/SndfileDecoder.h"
#include "platform/SoundTouchStretcher.h"
#include "platform/SqliteCatalogueOpener.h"
#include "playback/ui/CPlayDlg.h"
#include "playback/ui/WaveformStrip.h"
#include "retention/RetentionPlan.h"
#include "retention/ui/CExpiredDlg.h"
#include "retention/ui/CRetentionPreviewDlg.h"
#include "retention/ui/RetentionRuleBox.h"
#include "search/ArchiveSearch.h"
#include "search/SearchResultTable.h"
#include "search/ui/CQueryDlg.h"
#include "settings/ProfileFolder.h"
#include "settings/SettingsStore.h"
#include "sharing/ui/CShareDlg.h"
#include "statistics/ui/CStatisticsDlg.h"
#include "tests/support/FakeAudioDecoder.h"
#include "tests/support/FakeAudioOutput.h"
#include "tests/support/FakeMixer.h"

using namespace tapelink;

namespace {

class PrintedMessages : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon) override { std::cerr << "message: " << text << '\n'; }
};

// The search dialog's folder chooser answers with the telephone's voice folder, as if it were an archive.
class ArchiveFolder : public IArchiveFileChooser {
public:
    explicit ArchiveFolder(std::string folder) : m_folder(std::move(folder)) {}
    QStringList chooseRecordingFiles(QWidget*) override { return {}; }
    std::optional<QString> chooseFolder(QWidget*) override { return QString::fromStdString(m_folder); }
    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
};

// Silent playback and a mixer at 70 %, so the player needs no sound server.
struct SilentPlayer {
    test::FakeAudioDecoder decoder;
    test::FakeAudioOutput output;
    test::FakeMixer mixer;
    PrintedMessages messages;
};

// The listener's choices as the player finds them: 1.5x with silences shortened.
class FastListening : public IListeningPreferencesStore {
public:
    ListeningPreferences preferences() const override { return {6, true}; }
    bool setPreferences(const ListeningPreferences&) override { return true; }
};

// One recording's note, kept in memory.
class NoteInMemory : public IRecordingNotes {
public:
    CatalogueStatus noteOf(const std::string&, RecordingNote& out) override {
        out = note;
        return CatalogueStatus::Ok;
    }
    CatalogueStatus setNote(const std::string&, const RecordingNote& value) override {
        note = value;
        return CatalogueStatus::Ok;
    }
    CatalogueStatus allNotes(std::map<std::string, RecordingNote>&) override { return CatalogueStatus::Ok; }
    CatalogueStatus filesWithText(const std::string&, std::set<std::string>&) override { return CatalogueStatus::Ok; }

    RecordingNote note;
};

// What every picture may use: the main window over the telephone, created once.
struct ShotContext {
    // Without an archive folder the search lists the telephone's voice folder as if it were one.
    ShotContext(const std::string& store, const std::string& archiveFolder)
        : locator(store), archive(archiveFolder.empty() ? PhoneStore(store + "/").voiceFolder() : archiveFolder) {
        if (archiveFolder.empty()) return;
        // The profile as a user's who picked the archive as the upload folder, so the lists mark what it holds.
        const std::string profile = profileFolderPath();
        ensureProfileFolder(profile);
        settings.Load(settingsFilePath(profile));
        SettingsRecord record = settings.GetRecord();
        if (record.setUploadFolder(archiveFolder)) {
            settings.SetRecord(record);
            if (!settings.Save()) std::cerr << "could not store the upload folder\n";
        }
    }
    CTapelinkDlg& mainWindow() {
        if (!window) {
            MainWindowServices services;
            services.catalogueOpener = &catalogues;
            window = std::make_unique<CTapelinkDlg>(settings, locator, messages, FolderChooser{}, services);
            // The telephone is listed on a worker: the shots show its rows.
            if (!QTest::qWaitFor([this] { return !window->listingPending(); }, 30000))
                std::cerr << "the telephone's listing never came\n";
        }
        return *window;
    }

    SettingsStore settings;
    SqliteCatalogueOpener catalogues;
    LinuxDeviceLocator locator;
    PrintedMessages messages;
    ArchiveFolder archive;
    std::unique_ptr<CTapelinkDlg> window;

    // Contacts for the first numbers of the telephone's list, written the ways people write them, in a
    // catalogue of their own.
    IPhonebook& phonebook() {
        if (!catalogue.catalogue) {
            catalogue = catalogues.open(QFile::encodeName(folder.path()).toStdString(), CatalogueAccess::ReadWrite);
            // The first numbers of the archive as the search lists it, so the search shows their names.
            SearchResultTable list;
            ArchiveSearch(list, messages).AddFolder(archive.folder());
            const std::vector<std::pair<const char*, const char*>> people = {
                {"张伟", "华信通讯有限公司"}, {"王芳", ""}, {"李娜", "市第一人民医院"}, {"刘洋", "顺达物流"}};
            std::vector<Contact> contacts;
            int row = 0;
            for (const auto& [name, company] : people) {
                while (row < list.rowCount() && list.cellText(row, 3).empty()) ++row;
                if (row >= list.rowCount()) break;
                const std::string number = list.cellText(row++, 3);
                // Mobile numbers as people write them; the others as they are.
                const bool mobile = number.size() == 11 && number[0] == '1';
                const std::string written =
                    mobile ? "+86 " + number.substr(0, 3) + " " + number.substr(3, 4) + " " + number.substr(7) : number;
                contacts.push_back({0, name, {written}, company});
            }
            contacts.push_back({0, "客服热线", {"95588", "400-820-8820"}, "银行"});
            ContactImportCounts counts;
            catalogue.phonebook->import(contacts, counts);
        }
        return *catalogue.phonebook;
    }
    std::shared_ptr<const ContactDirectory> contacts() {
        std::vector<Contact> all;
        phonebook().contacts(all);
        return std::make_shared<const ContactDirectory>(all);
    }

    QTemporaryDir folder;
    CatalogueOpening catalogue;
};

// The search dialog over the main window, listing the telephone's voice folder.
std::unique_ptr<CQueryDlg> searchWithResults(ShotContext& c) {
    auto search = std::make_unique<CQueryDlg>(&c.mainWindow(), &c.messages, &c.archive);
    search->setContactDirectory(c.contacts());
    search->AddFolder();
    return search;
}

// What "保留 30 天" would move out of the archive now, planned by the rule itself; nothing moves.
RetentionPreview retentionPreview(ShotContext& c) {
    CatalogueOpening archive = c.catalogues.open(c.archive.folder(), CatalogueAccess::ReadOnly);
    if (!archive.catalogue || !archive.notes) return {};
    return previewRetention(*archive.catalogue, *archive.notes, 30, static_cast<std::int64_t>(std::time(nullptr)));
}

// settleMs lets windows that fill themselves in the background (the file dialogs) finish first.
QImage withCaption(QWidget& window, int settleMs = 0) {
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    QApplication::processEvents();
    if (settleMs > 0) QTest::qWait(settleMs);
    const QImage content = window.grab().toImage();
    const QFontMetrics metrics(window.font());
    const int captionHeight = metrics.height() + 10;
    QImage framed(content.width() + 2, content.height() + captionHeight + 1, QImage::Format_RGB32);
    framed.fill(QColor(40, 60, 130));
    QPainter painter(&framed);
    painter.drawPixmap(QRect(4, 3, captionHeight - 6, captionHeight - 6), window.windowIcon().pixmap(32, 32));
    painter.setPen(Qt::white);
    painter.setFont(window.font());
    painter.drawText(QRect(captionHeight + 2, 0, content.width() - captionHeight, captionHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawImage(1, captionHeight, content);
    return framed;
}

// The window with the pop-up that open() brings up drawn where it shows on the screen.
QImage withPopup(QWidget& window, const std::function<QWidget*()>& open) {
    const QImage framed = withCaption(window);
    QWidget* popup = open();
    (void)QTest::qWaitForWindowExposed(popup);
    QApplication::processEvents();
    // The framed picture's content starts one pixel in and below the caption.
    const QPoint contentOrigin(1, framed.height() - 1 - window.height());
    const QRect windowArea(window.mapToGlobal(QPoint(0, 0)) - contentOrigin, framed.size());
    const QRect popupArea(popup->mapToGlobal(QPoint(0, 0)), popup->size());
    const QRect all = windowArea.united(popupArea);
    QImage composed(all.size(), QImage::Format_RGB32);
    composed.fill(Qt::darkGray);
    QPainter painter(&composed);
    painter.drawImage(windowArea.topLeft() - all.topLeft(), framed);
    painter.drawImage(popupArea.topLeft() - all.topLeft(), popup->grab().toImage());
    popup->hide();
    return composed;
}

QImage popupMenu(QMenu& menu, QWidget& owner) {
    menu.popup(owner.mapToGlobal(QPoint(20, 40)));
    QApplication::processEvents();
    const QImage image = menu.grab().toImage();
    menu.hide();
    return image;
}

struct Shot {
    const char* name;
    std::function<QImage(ShotContext&)> take;
};

std::vector<Shot> shots() {
    return {
        {"main-window", [](ShotContext& c) { return withCaption(c.mainWindow()); }},
        {"main-window-uploading",
         [](ShotContext& c) {
             CTapelinkDlg& window = c.mainWindow();
             const std::string status = window.statusText();
             window.setStatusText(std::string(kStatusUploadingPrefix) + window.listTexts().cellText(0, 1));
             window.progressBar()->setRange(0, 10);
             window.progressBar()->setValue(4);
             window.setProgressAreaShown(true);
             QImage image = withCaption(window);
             window.setProgressAreaShown(false);
             window.setStatusText(status);
             return image;
         }},
        {"menu-upload",
         [](ShotContext& c) {
             // The menu bar's 文件上传 with all its items; the list's right click holds its first five.
             auto* menu = qobject_cast<QMenu*>(c.mainWindow().action(cmd::kUploadFolder)->parent());
             return popupMenu(*menu, c.mainWindow());
         }},
        {"about",
         [](ShotContext& c) {
             CAboutDlg about(&c.mainWindow());
             return withCaption(about);
         }},
        {"overwrite-prompt",
         [](ShotContext& c) {
             // A long upload folder: it is shortened in the middle so the file name and the question show.
             const std::string target =
                 "/home/用户/录音/2026年/第四季度/十二月/来自客户服务部门的通话录音备份/"
                 "VeryLongFolderNameWithoutAnyBlanks/" +
                 c.mainWindow().listTexts().cellText(0, 1);
             COverwriteDlg prompt(QString::fromStdString(target + " 文件已经存在，是否覆盖？"), &c.mainWindow());
             return withCaption(prompt);
         }},
        {"category-calendar",
         [](ShotContext& c) {
             CategoryCriteria criteria;
             CCategoryUploadDlg dialog(criteria, &c.mainWindow());
             dialog.move(400, 200);
             auto* picker = dialog.findChild<QDateTimeEdit*>(QStringLiteral("1049"));
             return withPopup(dialog, [picker] {
                 QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(picker->width() - 4, picker->height() / 2));
                 return picker->calendarWidget()->window();
             });
         }},
        {"message-box",
         [](ShotContext& c) {
             QMessageBox box(&c.mainWindow());
             MessageBoxSink::prepare(box, "传输完毕！", MessageIcon::Information);
             return withCaption(box);
         }},
        {"message-import",
         [](ShotContext& c) {
             QMessageBox box(&c.mainWindow());
             MessageBoxSink::prepare(box, "导入完毕。\n新增 3 个联系人，更新 0 个，0 个没有变化。",
                                     MessageIcon::Information);
             return withCaption(box);
         }},
        {"message-second-copy",
         [](ShotContext& c) {
             QMessageBox box(&c.mainWindow());
             MessageBoxSink::prepare(box, CTapelinkApp::kAlreadyRunning, MessageIcon::Warning);
             return withCaption(box);
         }},
        {"verify-report",
         [](ShotContext& c) {
             // The check's report of many missing files: it scrolls inside a box that fits the screen.
             QString text = QStringLiteral("存档校验发现问题：\n文件缺失：");
             for (int i = 1; i <= 200; ++i) text += QStringLiteral("\n  VOA%1.WAV").arg(i, 5, 10, QLatin1Char('0'));
             text += QStringLiteral("\n  ……（共 1271 个）\n");
             QMessageBox box;
             MessageBoxSink::prepare(box, "", MessageIcon::Warning);
             ScrollingMessageBox report(text, box.iconPixmap(), c.mainWindow().font(), &c.mainWindow());
             return withCaption(report);
         }},
        {"message-no-spreadsheet",
         [](ShotContext& c) {
             QMessageBox box(&c.mainWindow());
             MessageBoxSink::prepare(box, "创建Excel服务失败!", MessageIcon::Warning);
             return withCaption(box);
         }},
        {"workbook-save",
         [](ShotContext& c) {
             QFileDialog dialog(&c.mainWindow());
             prepareWorkbookDialog(dialog, QDir::home().filePath(QStringLiteral("录音列表_2026-12-07.xlsx")));
             return withCaption(dialog, 500);
         }},
        {"folder-picker",
         [](ShotContext& c) {
             QFileDialog picker(&c.mainWindow(), QStringLiteral("Pick a Directory"),
                                QString::fromStdString(c.locator.FindPhoneDrive()));
             picker.setFileMode(QFileDialog::Directory);
             picker.setOption(QFileDialog::ShowDirsOnly);
             prepareFileDialog(picker);
             // The archive's rule below the picker's own controls, as the window shows it, turned on.
             if (auto* grid = qobject_cast<QGridLayout*>(picker.layout()))
                 grid->addWidget(new RetentionRuleBox(365, &picker), grid->rowCount(), 0, 1, grid->columnCount());
             return withCaption(picker, 500);
         }},
        {"add-files",
         [](ShotContext& c) {
             QFileDialog chooser(&c.mainWindow());
             chooser.setFileMode(QFileDialog::ExistingFiles);
             chooser.setNameFilter(QStringLiteral("Wav Files(*.wave) (*.wav)"));
             chooser.setOption(QFileDialog::HideNameFilterDetails);
             chooser.setDirectory(QString::fromStdString(c.archive.folder()));
             prepareFileDialog(chooser);
             return withCaption(chooser, 500);
         }},
        {"category-upload",
         [](ShotContext& c) {
             CategoryCriteria criteria;
             CCategoryUploadDlg dialog(criteria, &c.mainWindow());
             return withCaption(dialog);
         }},
        {"recycle-bin",
         [](ShotContext& c) {
             CTapelinkDlg& window = c.mainWindow();
             CRecycleDlg bin(window.driveRoot(), window.phoneIndex(), c.messages, c.locator, &window);
             return withCaption(bin);
         }},
        {"search-results",
         [](ShotContext& c) {
             auto search = searchWithResults(c);
             return withCaption(*search);
         }},
        {"share",
         [](ShotContext& c) {
             // Three search results chosen for sharing, as the right-click's 分享… opens it.
             auto search = searchWithResults(c);
             auto* list = search->findChild<QTableView*>(QStringLiteral("1026"));
             list->selectionModel()->select(QItemSelection(list->model()->index(0, 0), list->model()->index(2, 0)),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
             std::vector<ShareItem> items;
             for (SearchResultRow& row : search->selectedResults()) {
                 items.push_back({row[kPathColumn], std::move(row)});
             }
             LibraryShareTools tools;
             CShareDlg share(std::move(items), {}, tools, search.get());
             share.findChild<QLineEdit*>(QStringLiteral("target"))
                 ->setText(QDir::home().filePath(QStringLiteral("录音分享_20261207_0930.zip")));
             return withCaption(share);
         }},
        {"search-names",
         [](ShotContext& c) {
             // Opened wide enough that "姓名" shows after the path without scrolling; the number names its caller.
             auto search = searchWithResults(c);
             auto* list = search->findChild<QTableView*>(QStringLiteral("1026"));
             list->selectRow(1);
             return withCaption(*search);
         }},
        {"phonebook",
         [](ShotContext& c) {
             CPhonebookDlg phonebook(c.phonebook(), {}, {}, &c.messages, nullptr, &c.mainWindow());
             return withCaption(phonebook);
         }},
        {"statistics",
         [](ShotContext& c) {
             // The archive's own phonebook names its numbers, as the contacts of the phonebook picture do.
             std::vector<Contact> contacts;
             c.phonebook().contacts(contacts);
             for (Contact& contact : contacts) contact.id = 0;
             CatalogueOpening archive = c.catalogues.open(c.archive.folder(), CatalogueAccess::ReadWrite);
             ContactImportCounts counts;
             if (archive.phonebook) archive.phonebook->import(contacts, counts);
             CStatisticsDlg statistics(c.catalogues, c.archive.folder(), &c.mainWindow());
             QSignalSpy counted(&statistics, &CStatisticsDlg::counted);
             if (!counted.wait(10000)) std::cerr << "no statistics in time\n";
             return withCaption(statistics);
         }},
        {"retention-preview",
         [](ShotContext& c) {
             CRetentionPreviewDlg preview(retentionPreview(c), 30, &c.mainWindow());
             return withCaption(preview);
         }},
        {"expired-recordings",
         [](ShotContext& c) {
             // The view as it shows the first of those once the rule moved them three days ago.
             const std::int64_t expiredAt = static_cast<std::int64_t>(std::time(nullptr)) - 3 * 86400;
             std::vector<CatalogueRecord> rows;
             for (const ExpiryCandidate& candidate : retentionPreview(c).candidates) {
                 if (rows.size() == 12) break;
                 CatalogueRecord row;
                 row.fileName = candidate.fileName;
                 row.size = candidate.size;
                 row.startKey = candidate.startKey;
                 row.state = RecordState::Expired;
                 row.expiredAt = expiredAt;
                 rows.push_back(row);
             }
             CExpiredDlg view(rows, 30, &c.mainWindow());
             view.table()->selectRow(1);
             return withCaption(view);
         }},
        {"contact-edit",
         [](ShotContext& c) {
             Contact contact{7, "张伟", {"+86 138 0013 8000", "010-6552 1234"}, "华信通讯有限公司"};
             CContactDlg dialog(contact, c.messages, &c.mainWindow());
             return withCaption(dialog);
         }},
        {"note",
         [](ShotContext& c) {
             auto search = searchWithResults(c);
             NoteInMemory notes;
             notes.note = {"客户投诉：快递三天未到，已答应周五前回电。\n对方希望改送到公司前台。",
                           {"投诉", "回访", "重要"}};
             CNoteDlg dialog(notes, c.mainWindow().listTexts().cellText(0, 1), &c.messages, search.get());
             return withCaption(dialog);
         }},
        {"player",
         [](ShotContext& c) {
             auto search = searchWithResults(c);
             auto* list = search->findChild<QTableView*>(QStringLiteral("1026"));
             list->selectRow(2);
             SilentPlayer silent;
             silent.decoder.addRecording(search->GetSelectedPath(), 95000);
             silent.mixer.values[{MixerLine::WaveOut, MixerControlKind::Volume}] = 45875;
             CPlayDlg player(*search, PlayerDevices{silent.decoder, silent.output, silent.mixer, &silent.messages},
                             search.get());
             silent.output.playTo(8 * 38000);
             QTest::qWait(400);  // one tick of the player's timer moves the position slider
             return withCaption(player);
         }},
        {"player-listening",
         [](ShotContext& c) {
             // A real recording of the telephone, decoded, so the waveform and the shortened silences show.
             auto search = searchWithResults(c);
             search->findChild<QTableView*>(QStringLiteral("1026"))->selectRow(2);
             SilentPlayer silent;
             SndfileDecoder decoder;
             SoundTouchStretcher stretcher;
             FastListening listening;
             silent.mixer.values[{MixerLine::WaveOut, MixerControlKind::Volume}] = 45875;
             CPlayDlg player(
                 *search, PlayerDevices{decoder, silent.output, silent.mixer, &silent.messages, &stretcher, &listening},
                 search.get());
             silent.output.playTo(silent.output.startFrame + 8 * 6000);
             auto* strip = player.findChild<WaveformStrip*>(QStringLiteral("waveform"));
             if (!QTest::qWaitFor([strip] { return strip->hasPeaks(); })) std::cerr << "no waveform in time\n";
             QTest::qWait(400);  // a tick moves the slider and the shading
             return withCaption(player);
         }},
    };
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // As the program does.
    installChineseLocale(application);
    QApplication::setFont(dialogFont());
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER TELEPHONE_FOLDER [ARCHIVE_FOLDER]\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    ShotContext context(argv[2], argc == 4 ? argv[3] : "");
    int failures = 0;
    for (const Shot& shot : shots()) {
        const QString path = output + QLatin1Char('/') + QLatin1String(shot.name) + QStringLiteral(".png");
        if (!shot.take(context).save(path)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return failures == 0 ? 0 : 1;
}
