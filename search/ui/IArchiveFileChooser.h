#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace tapelink {

// The choosers of the search dialog, so that tests can answer them without modal boxes.
class IArchiveFileChooser {
public:
    virtual ~IArchiveFileChooser() = default;
    // Recording files chosen for 添加文件, in the chooser's order; empty when the user cancelled.
    virtual QStringList chooseRecordingFiles(QWidget* owner) = 0;
    // The folder chosen for 添加文件夹; nullopt when the user cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* owner) = 0;
};

}  // namespace tapelink
