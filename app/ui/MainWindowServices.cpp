#include "app/ui/MainWindowServices.h"

#include <QMessageBox>

#include "common/ui/MessageBoxSink.h"
#include "contacts/ContactCsv.h"
#include "contacts/ContactFileIo.h"
#include "phone/ui/CCategoryUploadDlg.h"
#include "phone/ui/COverwriteDlg.h"
#include "platform/DesktopSpreadsheetOpener.h"
#include "platform/ExportCache.h"
#include "platform/LibraryShareTools.h"
#include "platform/SndfileOpusEncoder.h"
#include "platform/XlsxSpreadsheet.h"

namespace tapelink {

namespace {

// The opener must be there before the workbook that uses it is built, so it is the first base.
struct OpenerHolder {
    DesktopSpreadsheetOpener opener;
};

class DesktopWorkbook : private OpenerHolder, public XlsxSpreadsheet {
public:
    DesktopWorkbook() : XlsxSpreadsheet(opener, exportCacheFolder()) {}
};

}  // namespace

std::shared_ptr<IShareTools> desktopShareTools() {
    return std::make_shared<LibraryShareTools>();
}

std::unique_ptr<IAudioEncoder> desktopCompactEncoder() {
    return std::make_unique<SndfileOpusEncoder>();
}

std::unique_ptr<ISpreadsheet> desktopSpreadsheet() {
    return std::make_unique<DesktopWorkbook>();
}

std::unique_ptr<ISpreadsheet> workbookFile(const std::string& path) {
    return std::make_unique<XlsxSpreadsheet>(path);
}

ContactFileFormats desktopContactFiles() {
    ContactFileFormats formats;
    formats.read = [](const std::string& path) {
        ContactFileRead read;
        ContactFileContents contents;
        read.opened = readContactFile(path, {}, contents) == ContactFileStatus::Ok;
        read.contacts = std::move(contents.contacts);
        for (const SkippedLine& skipped : contents.skipped) {
            read.skipped.push_back(QStringLiteral("第 %1 行：%2")
                                       .arg(skipped.line)
                                       .arg(QString::fromStdString(skipped.reason))
                                       .toStdString());
        }
        return read;
    };
    formats.writeCsv = [](const std::string& path, const std::vector<Contact>& contacts) {
        return writeContactFile(path, contactCsvText(contacts)) == ContactFileStatus::Ok;
    };
    return formats;
}

std::function<OverwriteDecision(const QString&, QWidget*)> MainWindowServices::defaultOverwritePrompt() {
    return &COverwriteDlg::ask;
}

std::function<std::optional<CategoryChoice>(CategoryCriteria&, QWidget*)> MainWindowServices::defaultCategoryDialog() {
    return &CCategoryUploadDlg::ask;
}

std::function<bool(const QString&, QWidget*)> MainWindowServices::defaultConfirm() {
    return [](const QString& question, QWidget* owner) {
        QMessageBox box(owner);
        MessageBoxSink::prepare(box, question.toStdString(), MessageIcon::None);
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
}

}  // namespace tapelink
