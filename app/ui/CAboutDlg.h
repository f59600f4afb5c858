#pragma once

#include <QDialog>

namespace tapelink {

// Dialog 133, "关于系统": the program's icon, name and version, closed with "确定", Enter or Esc.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace tapelink
