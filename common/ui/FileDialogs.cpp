#include "common/ui/FileDialogs.h"

#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

#include "common/ui/DialogUnits.h"

namespace tapelink {

namespace {

// Qt's file model writes sizes and dates in the environment's locale and calls a folder "Folder"
// whatever catalogue is loaded; these columns are written again in the program's own locale.
class ChineseFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr) return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale locale;
        switch (index.column()) {
            case kSizeColumn:
                if (files->isDir(source)) return QString();
                return locale.formattedDataSize(files->size(source), 1, QLocale::DataSizeTraditionalFormat);
            case kTypeColumn:
                if (files->isDir(source)) return QStringLiteral("文件夹");
                break;
            case kDateColumn:
                return locale.toString(files->lastModified(source), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    static constexpr int kSizeColumn = 1;
    static constexpr int kTypeColumn = 2;
    static constexpr int kDateColumn = 3;
};

}  // namespace

void prepareFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
    dialog.setViewMode(QFileDialog::Detail);
    // Room for the name column beside whole sizes, types and dates.
    dialog.resize(dialog.size().expandedTo(dialogRect(0, 0, 420, 240).size()));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

QString chooseExistingFolder(QWidget* owner, const QString& title, const QString& startFolder, QWidget* extra) {
    QFileDialog dialog(owner, title, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    prepareFileDialog(dialog);
    // A row of its own below the dialog's controls, which keep their places.
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (extra != nullptr && grid != nullptr) grid->addWidget(extra, grid->rowCount(), 0, 1, grid->columnCount());
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (extra != nullptr) extra->setParent(nullptr);
    if (!chosen) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace tapelink
