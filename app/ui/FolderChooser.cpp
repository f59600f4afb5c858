#include "app/ui/FolderChooser.h"

#include "common/ui/FileDialogs.h"

namespace tapelink {

FolderChooser systemFolderChooser() {
    return [](QWidget* owner, const QString& title, const QString& startFolder) {
        return chooseExistingFolder(owner, title, startFolder);
    };
}

}  // namespace tapelink
