#include "phone/ui/CCategoryUploadDlg.h"
#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/ui/RightAlignedCalendar.h"

namespace tapelink {

namespace {

constexpr int kNumberLength = 16;

}  // namespace

CCategoryUploadDlg::CCategoryUploadDlg(CategoryCriteria& criteria, QWidget* parent)
    : QDialog(parent), m_criteria(criteria), m_radios(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("136"));
    setWindowTitle(QStringLiteral("分类上传"));
    setFont(dialogFont());
    setWindowIcon(QApplication::windowIcon());
    setFixedSize(dialogUnits(205), dialogUnits(101));

    auto* upload = new QPushButton(QStringLiteral("上传"), this);
    upload->setObjectName(QStringLiteral("1"));
    upload->setGeometry(dialogRect(29, 71, 50, 14));
    upload->setDefault(true);
    connect(upload, &QPushButton::clicked, this, &CCategoryUploadDlg::accept);

    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("2"));
    close->setGeometry(dialogRect(125, 71, 50, 14));
    connect(close, &QPushButton::clicked, this, &CCategoryUploadDlg::reject);

    auto* byDate = new QRadioButton(QStringLiteral("按日期上传"), this);
    byDate->setObjectName(QStringLiteral("1047"));
    byDate->setGeometry(dialogRect(17, 16, 56, 10));
    auto* byNumber = new QRadioButton(QStringLiteral("按电话号码上传"), this);
    byNumber->setObjectName(QStringLiteral("1048"));
    byNumber->setGeometry(dialogRect(17, 41, 78, 10));
    m_radios->addButton(byDate, static_cast<int>(CategoryChoice::ByDate));
    m_radios->addButton(byNumber, static_cast<int>(CategoryChoice::ByNumber));
    byDate->setChecked(true);

    // Starts at today every time; what an earlier use stored is not shown.
    m_date = new QDateEdit(QDate::currentDate(), this);
    m_date->setObjectName(QStringLiteral("1049"));
    m_date->setGeometry(dialogRect(110, 13, 77, 13));
    // The long date of the program's Chinese locale, whatever the desktop's locale is.
    m_date->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    dropCalendarRightAligned(*m_date);

    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("1050"));
    m_number->setGeometry(dialogRect(110, 37, 77, 14));
    m_number->setMaxLength(kNumberLength);

    upload->setFocus();
}

std::optional<CategoryChoice> CCategoryUploadDlg::ask(CategoryCriteria& criteria, QWidget* parent) {
    CCategoryUploadDlg dialog(criteria, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

void CCategoryUploadDlg::accept() {
    m_criteria.numberText = m_number->text().toStdString();
    const QDate date = m_date->date();
    m_criteria.date = std::chrono::year_month_day{std::chrono::year{date.year()},
                                                  std::chrono::month{static_cast<unsigned>(date.month())},
                                                  std::chrono::day{static_cast<unsigned>(date.day())}};
    m_choice = static_cast<CategoryChoice>(m_radios->checkedId());
    QDialog::accept();
}

}  // namespace tapelink
