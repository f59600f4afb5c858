#include "app/ui/CAboutDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/ui/AppLook.h"
#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"

namespace tapelink {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("133"));
    setWindowTitle(QStringLiteral("Quorvalent Velmo录音电话软件"));
    setFont(dialogFont());
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(appIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* title = new QLabel(QStringLiteral("Velmo录音电话-PC管理软件  版本 1.02.000"), this);
    title->setObjectName(QStringLiteral("aboutTitle"));
    // Broken by hand after the colon: automatic wrapping may split a word such as 查询.
    auto* detail = new QLabel(QStringLiteral("管理录音电话中的通话录音：\n上传、查询、播放和导出。"), this);
    detail->setObjectName(QStringLiteral("aboutDetail"));
    detail->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The icon beside the two texts, the button under them on the right.
    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1);
    layout->addWidget(title, 0, 1);
    layout->addWidget(detail, 1, 1);
    layout->addWidget(ok, 2, 1, Qt::AlignRight | Qt::AlignBottom);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);
    setFixedSize(dialogRect(0, 0, 223, 94).size());
}

}  // namespace tapelink
