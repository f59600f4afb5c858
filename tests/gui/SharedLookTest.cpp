// What every window shares: Qt's own texts in Chinese, the one font, message boxes and file dialogs.
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTreeView>
#include <QtTest>
#include <fstream>

#include "app/SettingsStore.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CTapelinkApp.h"
#include "app/ui/CTapelinkDlg.h"
#include "archive/ArchiveOnPhone.h"
#include "archive/ArchivedClearing.h"
#include "archive/SearchMessages.h"
#include "archive/ui/CPlayDlg.h"
#include "archive/ui/CQueryDlg.h"
#include "common/ui/ChineseLocale.h"
#include "common/ui/DialogFont.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/MessageBoxSink.h"
#include "common/ui/ScrollingMessageBox.h"
#include "phone/RecycleMessages.h"
#include "phone/VolumeMessages.h"
#include "phone/ui/CCategoryUploadDlg.h"
#include "phone/ui/COverwriteDlg.h"
#include "phone/ui/CRecycleDlg.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/gui/ModalDriver.h"
#include "tests/support/FakeAudioDecoder.h"
#include "tests/support/FakeAudioOutput.h"
#include "tests/support/FakeMixer.h"
#include "tests/support/FakeSelection.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

// Leaves aside a mnemonic such as "(&N)".
bool hasLatinLetters(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&[A-Za-z]\\)")));
    return text.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

// The messages with the longest lines and the most lines the windows show, besides the fixed texts:
// the longest file names a folder holds (255 bytes) included.
QStringList longestMessages() {
    const QString longName = QString(85, QChar(0x5F55)) + QStringLiteral(".WAV");
    const std::string longFolder = "/home/用户/" + QString(60, QChar(0x6863)).toStdString() + "/";
    QStringList texts = {
        QStringLiteral("导入完毕。\n新增 3 个联系人，更新 0 个，0 个没有变化。"),
        QStringLiteral("导入完毕。\n新增 1234 个联系人，更新 5678 个，9012 个没有变化。\n\n以下内容无法读取，已跳过："
                       "\n  第 3 行：") +
            longName,
        QStringLiteral("存档校验发现问题：\n内容已改变：") + longName + QStringLiteral("\n文件缺失：") + longName,
        QString::fromStdString(archiveOnPhoneText(longFolder)),
        QStringLiteral("无法写入表格文件：") + QString::fromStdString(longFolder) + longName,
    };
    ClearingReport report;
    report.recordings = 1271;
    // Recordings on the telephone have short names; the summary lists 20 of them.
    for (int i = 0; i < 25; ++i) report.kept.push_back({"VOA00001.WAV", KeptReason::CopyChanged});
    report.deleted.assign(1246, "VOA00001.WAV");
    texts << QString::fromStdString(clearingSummary(report, ClearingRule{}, 20));
    return texts;
}

}  // namespace

class SharedLookTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installChineseLocale(*qApp)); }

    void standardTextsAreChinese() {
        QCOMPARE(QLocale().language(), QLocale::Chinese);
        QCOMPARE(QLocale().script(), QLocale::SimplifiedHanScript);
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        QVERIFY(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")));
        QVERIFY(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("否")));
    }

    void messageBoxesLeaveTheirCaptionRoom() {
        MessageBoxSink sink;
        int width = 0;
        QString ok;
        whenModal<QMessageBox>([&](QMessageBox& box) {
            width = box.width();
            ok = box.button(QMessageBox::Ok)->text();
            box.accept();
        });
        sink.showMessage("传输完毕！", MessageIcon::Warning);
        QCOMPARE(ok, QStringLiteral("确定"));
        // Beside "提示", a title bar holds an icon and three buttons, some two and a half lines wide each.
        const QFontMetrics metrics(qApp->font());
        QVERIFY2(width >= metrics.horizontalAdvance(QStringLiteral("提示")) + 10 * metrics.height(),
                 qPrintable(QString::number(width)));
    }

    // Every message shows whole at the windows' font: the text's label is as large as it needs (wrapped
    // where a line is wider than the box may be), and the box stays on the screen.
    void everyMessageFitsItsBox() {
        QWidget owner;
        owner.setFont(dialogFont());
        owner.show();
        QStringList texts = {QString::fromUtf8(CTapelinkApp::kAlreadyRunning), QStringLiteral("创建Excel服务失败!"),
                             QStringLiteral("传输完毕！")};
        for (const char* text :
             {kNoPhoneRowSelected, kNoBinRowSelected, kNoRestoreRowSelected, kRestoreNotStarted, kSerialsExhausted,
              kRestorePathError, kRestoreFileFailed, kPhoneRemoved, kRestoreDone, kIndexUnusable, kPhoneReadOnly,
              kMsgStartAfterEnd, kMsgNoSearchFolder, kMsgNothingFound, kMsgSelectToPlay, kMsgSelectToRemove})
            texts << QString::fromUtf8(text);
        texts << longestMessages();
        MessageBoxSink sink(&owner);
        const QRect screen = owner.screen()->availableGeometry();
        for (const QString& text : texts) {
            QString misfit;
            whenModal<QMessageBox>([&](QMessageBox& box) {
                auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                const QSize shown = label->size();
                const QSize needed =
                    label->wordWrap() ? QSize(0, label->heightForWidth(shown.width())) : label->sizeHint();
                const QRect inBox(label->mapTo(&box, QPoint(0, 0)), shown);
                if (shown.width() < needed.width() || shown.height() < needed.height() || !box.rect().contains(inBox) ||
                    box.width() > screen.width() || box.height() > screen.height())
                    misfit = QStringLiteral("shown %1x%2, needs %3x%4, box %5x%6")
                                 .arg(shown.width())
                                 .arg(shown.height())
                                 .arg(needed.width())
                                 .arg(needed.height())
                                 .arg(box.width())
                                 .arg(box.height());
                box.accept();
            });
            sink.showMessage(text.toStdString(), MessageIcon::Warning);
            QVERIFY2(misfit.isEmpty(), qPrintable(text.left(40) + QStringLiteral(": ") + misfit));
        }
    }

    // A report of hundreds of lines scrolls inside a box that stays on the screen, with 确定 in reach.
    void aLongReportScrollsInsideABoxOnTheScreen() {
        QWidget owner;
        owner.setFont(dialogFont());
        owner.show();
        QString text = QStringLiteral("存档校验发现问题：\n文件缺失：");
        for (int i = 0; i < 300; ++i) text += QStringLiteral("\n  VOA%1.WAV").arg(i, 5, 10, QLatin1Char('0'));
        const QRect screen = owner.screen()->availableGeometry();
        bool seen = false;
        QString misfit;
        whenModal<QDialog>(
            [&](QDialog& shown) {
                auto* scrolling = qobject_cast<ScrollingMessageBox*>(&shown);
                if (scrolling == nullptr) {
                    misfit = QStringLiteral("a box %1 high that does not scroll").arg(shown.height());
                    return;
                }
                ScrollingMessageBox& box = *scrolling;
                const QScrollBar* bar = box.textArea()->verticalScrollBar();
                const auto* label = box.findChild<QLabel*>(QStringLiteral("text"));
                const QPushButton* ok = box.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
                if (box.frameGeometry().height() > screen.height() || box.frameGeometry().width() > screen.width())
                    misfit = QStringLiteral("box %1x%2").arg(box.width()).arg(box.height());
                else if (!bar->isVisible() || bar->maximum() == 0)
                    misfit = QStringLiteral("the text does not scroll");
                else if (label->text() != text || label->height() < label->heightForWidth(label->width()))
                    misfit = QStringLiteral("the text is cut");
                else if (!ok->isVisible() || ok->text() != QStringLiteral("确定") ||
                         !box.rect().contains(QRect(ok->mapTo(&box, QPoint(0, 0)), ok->size())))
                    misfit = QStringLiteral("确定 out of sight");
                box.accept();
            },
            &seen);
        MessageBoxSink(&owner).showMessage(text.toStdString(), MessageIcon::Warning);
        QVERIFY(seen);
        QVERIFY2(misfit.isEmpty(), qPrintable(misfit));
    }

    void everyWindowUsesTheOneFont() {
        TempFolder folder;
        FakeLocator locator;
        RecordingMessages messages;
        PhoneIndexHeader header{};
        CategoryCriteria criteria;
        FakeSelection selection;
        FakeAudioDecoder decoder;
        FakeAudioOutput output;
        FakeMixer mixer;
        SettingsStore settings;
        CTapelinkDlg main(settings, locator, messages, FolderChooser{});
        CAboutDlg about;
        COverwriteDlg overwrite(QStringLiteral("x"));
        CCategoryUploadDlg category(criteria);
        CRecycleDlg bin(folder.path(), header, messages, locator);
        CQueryDlg search(nullptr, &messages);
        CPlayDlg player(selection, PlayerDevices{decoder, output, mixer, &messages});
        const QFontInfo one(dialogFont());
        for (QWidget* window :
             std::initializer_list<QWidget*>{&main, &about, &overwrite, &category, &bin, &search, &player}) {
            const QFontInfo used(window->font());
            QVERIFY2(used.family() == one.family() && used.pointSizeF() == one.pointSizeF(),
                     qPrintable(
                         QStringLiteral("%1: %2 %3").arg(window->windowTitle(), used.family()).arg(used.pointSizeF())));
        }
        // The lists' rows are one height too.
        const auto rowHeight = [](QWidget& window) {
            return window.findChild<QTableView*>()->verticalHeader()->defaultSectionSize();
        };
        QCOMPARE(rowHeight(bin), rowHeight(main));
        QCOMPARE(rowHeight(search), rowHeight(main));
    }

    void folderPickerIsChineseWithWholeColumns() {
        TempFolder folder;
        std::filesystem::create_directory(folder.path() + "录音");
        std::ofstream(folder.path() + "VOA00001.WAV") << std::string(123456, 'x');
        QFileDialog chooser(nullptr, QStringLiteral("请选择文件夹路径 "), QString::fromStdString(folder.path()));
        prepareFileDialog(chooser);
        chooser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        auto* details = chooser.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(details != nullptr && details->isVisible());
        QTRY_COMPARE(details->model()->rowCount(details->rootIndex()), 2);
        for (QLabel* label : chooser.findChildren<QLabel*>()) {
            if (label->isVisible()) QVERIFY2(!hasLatinLetters(label->text()), qPrintable(label->text()));
        }
        for (QPushButton* button : chooser.findChildren<QPushButton*>()) {
            if (button->isVisible()) QVERIFY2(!hasLatinLetters(button->text()), qPrintable(button->text()));
        }
        // The folder's type and date are Chinese too.
        const QModelIndex folderRow = details->model()->index(0, 0, details->rootIndex());
        QCOMPARE(folderRow.data().toString(), QStringLiteral("录音"));
        for (int column : {2, 3}) {
            const QString cell = folderRow.siblingAtColumn(column).data().toString();
            QVERIFY2(!cell.isEmpty() && !hasLatinLetters(cell), qPrintable(cell));
        }
        // Every column title is Chinese, and size, type and date show whole.
        for (int column = 0; column < details->header()->count(); ++column) {
            const QString title = details->model()->headerData(column, Qt::Horizontal).toString();
            QVERIFY2(!hasLatinLetters(title), qPrintable(title));
            if (column == 0) continue;
            for (int row = 0; row < details->model()->rowCount(details->rootIndex()); ++row) {
                const QModelIndex cell = details->model()->index(row, column, details->rootIndex());
                QStyleOptionViewItem option;
                option.initFrom(details);
                const int needed = details->itemDelegateForIndex(cell)->sizeHint(option, cell).width();
                QTRY_VERIFY2(details->columnWidth(column) >= needed, qPrintable(cell.data().toString()));
            }
        }
    }
};

QTEST_MAIN(SharedLookTest)
#include "SharedLookTest.moc"
