#include "app/ui/WorkbookSaveDialog.h"

#include "common/ui/FileDialogs.h"

namespace tapelink {

void prepareWorkbookDialog(QFileDialog& dialog, const QString& suggestedPath) {
    dialog.setWindowTitle(QStringLiteral("保存Excel文件"));
    dialog.setObjectName(QStringLiteral("workbookSaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Excel 工作簿 (*.xlsx)"));
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("保存位置："));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("保存类型："));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("保存(&S)"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    // The one preparation every file dialog gets, so that its columns speak Chinese too.
    prepareFileDialog(dialog);
    dialog.selectFile(suggestedPath);
}

QString askWorkbookFile(const QString& suggestedPath, QWidget* owner) {
    QFileDialog dialog(owner);
    prepareWorkbookDialog(dialog, suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace tapelink
