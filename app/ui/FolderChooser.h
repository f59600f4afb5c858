#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace tapelink {

// Asks the user for a folder: owner, title, the folder selected at first, and a widget of more choices to
// show below the chooser's own controls (the archive's rule), to be handed back without a parent. An empty
// result means the user cancelled. Injected so that tests answer without a modal chooser.
using FolderChooser =
    std::function<QString(QWidget* owner, const QString& title, const QString& startFolder, QWidget* extra)>;

// The system's folder chooser.
FolderChooser systemFolderChooser();

}  // namespace tapelink
