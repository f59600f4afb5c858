#include "contacts/ui/ContactFileChooser.h"

#include <QDir>
#include <QFileDialog>

#include "common/ui/FileDialogs.h"

namespace tapelink {

QString ContactFileChooser::chooseImportFile(QWidget* owner) {
    QFileDialog dialog(owner, QStringLiteral("导入联系人"), QDir::homePath());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("联系人文件 (*.csv *.vcf *.vcard)"), QStringLiteral("所有文件 (*)")});
    prepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString ContactFileChooser::chooseExportFile(QWidget* owner, const QString& suggestedPath) {
    QFileDialog dialog(owner, QStringLiteral("导出联系人"), suggestedPath);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("CSV 文件 (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    prepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace tapelink
