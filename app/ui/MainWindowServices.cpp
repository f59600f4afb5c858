#include "app/ui/MainWindowServices.h"

#include <QFile>
#include <QMessageBox>
#include <QSaveFile>

#include "archive/ContactCsv.h"
#include "archive/ContactVcard.h"
#include "phone/ui/CCategoryUploadDlg.h"
#include "phone/ui/COverwriteDlg.h"
#include "platform/DesktopSpreadsheetOpener.h"
#include "platform/ExportCache.h"
#include "platform/XlsxSpreadsheet.h"

namespace tapelink {

namespace {

// vCard files begin with their first card, after an optional byte-order mark and blank lines.
bool looksLikeVcard(const QByteArray& bytes) {
    QByteArray start = bytes.left(4096);
    if (start.startsWith("\xEF\xBB\xBF")) start.remove(0, 3);
    return start.trimmed().toUpper().startsWith("BEGIN:VCARD");
}

}  // namespace

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
        QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
        // A phonebook of many thousand contacts is a few megabytes; anything far larger is not one.
        constexpr qint64 kLargestFile = 64 * 1024 * 1024;
        if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestFile) return read;
        const QByteArray bytes = file.readAll();
        read.opened = true;
        const ContactFileContents contents =
            looksLikeVcard(bytes) ? readContactVcard(bytes.toStdString()) : readContactCsv(bytes.toStdString());
        read.contacts = contents.contacts;
        for (const SkippedLine& skipped : contents.skipped) {
            read.skipped.push_back(QStringLiteral("第 %1 行：%2")
                                       .arg(skipped.line)
                                       .arg(QString::fromStdString(skipped.reason))
                                       .toStdString());
        }
        return read;
    };
    formats.writeCsv = [](const std::string& path, const std::vector<Contact>& contacts) {
        // Written beside the target and renamed over it only when complete.
        QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
        if (!file.open(QIODevice::WriteOnly)) return false;
        const std::string text = contactCsvText(contacts);
        if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
            file.cancelWriting();
            return false;
        }
        return file.commit();
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
        return QMessageBox::question(owner, QStringLiteral("提示"), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
}

}  // namespace tapelink
