#include "retention/ui/RetentionRuleBox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

namespace tapelink {

namespace {

// A year of calls is what most desks are asked to keep; the user changes it once the rule is on.
constexpr int kDefaultDays = 365;
constexpr int kMaxDays = 100000;

}  // namespace

RetentionRuleBox::RetentionRuleBox(std::optional<int> keepDays, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("retentionRule"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_keep = new QCheckBox(QStringLiteral("保留"), this);
    m_keep->setObjectName(QString::number(kKeepCheck));
    m_days = new QSpinBox(this);
    m_days->setObjectName(QString::number(kKeepDays));
    m_days->setRange(1, kMaxDays);
    m_days->setValue(keepDays.value_or(kDefaultDays));
    auto* rest = new QLabel(QStringLiteral("天（更早开始的录音移出存档，有备注或标签的除外）"), this);
    row->addWidget(m_keep);
    row->addWidget(m_days);
    row->addWidget(rest, 1);
    m_keep->setChecked(keepDays.has_value());
    m_days->setEnabled(keepDays.has_value());
    connect(m_keep, &QCheckBox::toggled, m_days, &QWidget::setEnabled);
}

std::optional<int> RetentionRuleBox::keepDays() const {
    return m_keep->isChecked() ? std::optional<int>(m_days->value()) : std::nullopt;
}

}  // namespace tapelink
