#include "common/ui/MessageBoxSink.h"

#include <QMessageBox>

namespace tapelink {

void MessageBoxSink::showMessage(const std::string& text, MessageIcon icon) {
    QMessageBox box(m_owner);
    box.setWindowTitle(QStringLiteral("提示"));
    box.setText(QString::fromStdString(text));
    box.setIcon(icon == MessageIcon::Warning ? QMessageBox::Warning
                : icon == MessageIcon::Stop  ? QMessageBox::Critical
                                             : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace tapelink
