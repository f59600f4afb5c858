#include "search/ui/ArchiveFileChooser.h"

#include <QDir>
#include <QFileDialog>

#include "common/ui/FileDialogs.h"

namespace tapelink {

QStringList ArchiveFileChooser::chooseRecordingFiles(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The filter shows as "Wav Files(*.wave)" and lists *.wav files.
    dialog.setNameFilter(QStringLiteral("Wav Files(*.wave) (*.wav)"));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    prepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

std::optional<QString> ArchiveFileChooser::chooseFolder(QWidget* owner) {
    const QString folder = chooseExistingFolder(owner, QStringLiteral("请选择文件夹路径 "), QDir::homePath());
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

}  // namespace tapelink
