#pragma once

#include <QFileDialog>
#include <QString>

namespace tapelink {

// Makes a file or folder dialog Qt's own rather than the desktop's, so that it speaks the program's
// language, and lets its detail columns take the width of their contents, so sizes and dates show
// whole; the name column takes what is left.
void prepareFileDialog(QFileDialog& dialog);

// Asks for an existing folder with a prepared dialog; empty when the user cancelled. extra, when given, is
// shown below the dialog's own controls and handed back without a parent once the dialog has closed.
QString chooseExistingFolder(QWidget* owner, const QString& title, const QString& startFolder,
                             QWidget* extra = nullptr);

}  // namespace tapelink
