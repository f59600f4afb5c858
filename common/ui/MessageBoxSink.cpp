#include "common/ui/MessageBoxSink.h"

#include <QMessageBox>

namespace tapelink {

namespace {

// A window that is not on the screen yet (a player whose first recording fails while it opens) has no place
// to centre a box on: the nearest shown window above it stands in, and the owner will open centred on it too.
QWidget* shownOwner(QWidget* owner) {
    for (QWidget* window = owner; window != nullptr; window = window->parentWidget()) {
        if (window->isVisible()) return window;
    }
    return owner;
}

}  // namespace

void MessageBoxSink::showMessage(const std::string& text, MessageIcon icon) {
    QMessageBox box(shownOwner(m_owner));
    box.setWindowTitle(QStringLiteral("提示"));
    box.setText(QString::fromStdString(text));
    box.setIcon(icon == MessageIcon::Warning ? QMessageBox::Warning
                : icon == MessageIcon::Stop  ? QMessageBox::Critical
                                             : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace tapelink
