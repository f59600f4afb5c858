#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace tapelink {

// Asks the user for a folder: owner, title, the folder selected at first. An empty result means the
// user cancelled. Injected so that tests answer without a modal chooser.
using FolderChooser = std::function<QString(QWidget* owner, const QString& title, const QString& startFolder)>;

// The system's folder chooser.
FolderChooser systemFolderChooser();

}  // namespace tapelink
