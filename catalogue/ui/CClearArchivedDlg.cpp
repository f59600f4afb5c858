#include "catalogue/ui/CClearArchivedDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"

namespace tapelink {

namespace {

constexpr int kDefaultDays = 30;
constexpr int kMaxDays = 100000;

}  // namespace

CClearArchivedDlg::CClearArchivedDlg(CountFor countFor, Choice initial, QWidget* parent)
    : QDialog(parent), m_countFor(std::move(countFor)) {
    setObjectName(QStringLiteral("clearArchived"));
    setWindowTitle(QStringLiteral("提示"));
    setFont(dialogFont());
    setWindowIcon(QApplication::windowIcon());
    setFixedSize(dialogUnits(200), dialogUnits(84));

    m_question = new QLabel(this);
    m_question->setObjectName(QStringLiteral("question"));
    m_question->setGeometry(dialogRect(12, 10, 176, 20));
    m_question->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_question->setWordWrap(true);

    m_olderOnly = new QCheckBox(QStringLiteral("只删除"), this);
    m_olderOnly->setObjectName(QStringLiteral("olderOnly"));
    m_olderOnly->setGeometry(dialogRect(12, 36, 40, 12));
    m_days = new QSpinBox(this);
    m_days->setObjectName(QStringLiteral("days"));
    m_days->setGeometry(dialogRect(52, 35, 36, 13));
    m_days->setRange(0, kMaxDays);
    auto* daysText = new QLabel(QStringLiteral("天以前开始的录音"), this);
    daysText->setGeometry(dialogRect(91, 36, 97, 12));

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setObjectName(QStringLiteral("1"));
    m_ok->setGeometry(dialogRect(84, 62, 50, 14));
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(dialogRect(138, 62, 50, 14));
    // Deleting is the step that can't be undone: Enter alone doesn't take it.
    cancel->setDefault(true);
    cancel->setFocus();
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_olderOnly->setChecked(initial.has_value());
    m_days->setValue(initial.value_or(kDefaultDays));
    connect(m_olderOnly, &QCheckBox::toggled, this, &CClearArchivedDlg::update);
    connect(m_days, &QSpinBox::valueChanged, this, &CClearArchivedDlg::update);
    update();
}

CClearArchivedDlg::Choice CClearArchivedDlg::choice() const {
    return m_olderOnly->isChecked() ? Choice(m_days->value()) : std::nullopt;
}

void CClearArchivedDlg::update() {
    m_days->setEnabled(m_olderOnly->isChecked());
    const int count = m_countFor(choice());
    m_question->setText(count > 0 ? QStringLiteral("将从电话机删除 %1 条已存档的录音，确定吗？").arg(count)
                                  : QStringLiteral("没有符合条件的已存档录音。"));
    m_ok->setEnabled(count > 0);
}

std::optional<CClearArchivedDlg::Choice> CClearArchivedDlg::ask(const CountFor& countFor, Choice initial,
                                                                QWidget* parent) {
    CClearArchivedDlg dialog(countFor, initial, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

}  // namespace tapelink
