#include "app/ui/FolderChooser.h"

#include "common/ui/FileDialogs.h"

namespace tapelink {

FolderChooser systemFolderChooser() {
    return [](QWidget* owner, const QString& title, const QString& startFolder, QWidget* extra) {
        return chooseExistingFolder(owner, title, startFolder, extra);
    };
}

}  // namespace tapelink
