#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace tapelink {

// The save dialog that keeps an exported workbook when no spreadsheet application can take it: opens
// at suggestedPath (folder and file name), asks before replacing a file, adds ".xlsx" to a name
// without it. Returns the chosen path, empty when cancelled.
QString askWorkbookFile(const QString& suggestedPath, QWidget* owner);
// Makes dialog that save dialog, ready to be run.
void prepareWorkbookDialog(QFileDialog& dialog, const QString& suggestedPath);

}  // namespace tapelink
