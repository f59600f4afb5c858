#pragma once

#include "contacts/ui/IContactFileChooser.h"

namespace tapelink {

// The program's own file dialogs.
class ContactFileChooser : public IContactFileChooser {
public:
    QString chooseImportFile(QWidget* owner) override;
    QString chooseExportFile(QWidget* owner, const QString& suggestedPath) override;
};

}  // namespace tapelink
