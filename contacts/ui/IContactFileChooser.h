#pragma once

#include <QString>

class QWidget;

namespace tapelink {

// The phonebook window's file choices, so that tests can answer them without modal boxes.
class IContactFileChooser {
public:
    virtual ~IContactFileChooser() = default;
    // A CSV or vCard file to import; empty when the user cancelled.
    virtual QString chooseImportFile(QWidget* owner) = 0;
    // Where to write the phonebook as CSV, starting from suggestedPath; empty when the user cancelled.
    virtual QString chooseExportFile(QWidget* owner, const QString& suggestedPath) = 0;
};

}  // namespace tapelink
