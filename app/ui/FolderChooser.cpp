#include "app/ui/FolderChooser.h"

#include <QFileDialog>

namespace tapelink {

FolderChooser systemFolderChooser() {
    return [](QWidget* owner, const QString& title, const QString& startFolder) {
        return QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
    };
}

}  // namespace tapelink
