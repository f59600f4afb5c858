#include "app/ui/WorkbookSaveDialog.h"

#include <QFileDialog>

namespace tapelink {

QString askWorkbookFile(const QString& suggestedPath, QWidget* owner) {
    // Qt's own dialog, so that its texts are the program's Chinese ones on every desktop.
    QFileDialog dialog(owner, QStringLiteral("保存Excel文件"));
    dialog.setObjectName(QStringLiteral("workbookSaveDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Excel 工作簿 (*.xlsx)"));
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("保存位置："));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("保存类型："));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("保存(&S)"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace tapelink
