#pragma once

#include "search/ui/IArchiveFileChooser.h"

namespace tapelink {

// The search dialog's choosers as the platform's file and folder dialogs.
class ArchiveFileChooser : public IArchiveFileChooser {
public:
    QStringList chooseRecordingFiles(QWidget* owner) override;
    std::optional<QString> chooseFolder(QWidget* owner) override;
};

}  // namespace tapelink
