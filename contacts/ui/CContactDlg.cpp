#include "contacts/ui/CContactDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"

namespace tapelink {

namespace {

constexpr const char* kNameMissing = "请输入联系人的姓名！";
constexpr const char* kNumberMissing = "请至少输入一个电话号码！";

QLabel* label(QWidget* parent, const char* text, int x, int y) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->move(dialogUnits(x), dialogUnits(y));
    l->adjustSize();
    return l;
}

}  // namespace

CContactDlg::CContactDlg(Contact& contact, IMessageSink& messages, QWidget* parent)
    : QDialog(parent), m_contact(contact), m_messages(messages) {
    setWindowTitle(contact.id == 0 ? QStringLiteral("添加联系人") : QStringLiteral("编辑联系人"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QApplication::windowIcon());
    setFont(dialogFont());
    setFixedSize(dialogUnits(200), dialogUnits(124));

    label(this, "姓名：", 7, 9);
    m_name = new QLineEdit(QString::fromStdString(contact.name), this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setGeometry(dialogRect(50, 7, 143, 13));

    label(this, "电话号码：", 7, 27);
    label(this, "每行一个", 7, 39);
    QStringList numbers;
    for (const std::string& number : contact.numbers) numbers << QString::fromStdString(number);
    m_numbers = new QPlainTextEdit(numbers.join(QLatin1Char('\n')), this);
    m_numbers->setObjectName(QStringLiteral("numbers"));
    m_numbers->setGeometry(dialogRect(50, 25, 143, 52));
    m_numbers->setTabChangesFocus(true);

    label(this, "单位：", 7, 85);
    m_company = new QLineEdit(QString::fromStdString(contact.company), this);
    m_company->setObjectName(QStringLiteral("company"));
    m_company->setGeometry(dialogRect(50, 83, 143, 13));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(dialogRect(89, 103, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CContactDlg::accept);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(dialogRect(143, 103, 50, 14));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CContactDlg::reject);
    m_name->setFocus();
}

void CContactDlg::accept() {
    const QString name = m_name->text().trimmed();
    std::vector<std::string> numbers;
    for (const QString& line : m_numbers->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.trimmed().isEmpty()) numbers.push_back(line.trimmed().toStdString());
    }
    if (name.isEmpty()) {
        m_messages.showMessage(kNameMissing);
        m_name->setFocus();
        return;
    }
    if (numbers.empty()) {
        m_messages.showMessage(kNumberMissing);
        m_numbers->setFocus();
        return;
    }
    m_contact.name = name.toStdString();
    m_contact.numbers = std::move(numbers);
    m_contact.company = m_company->text().trimmed().toStdString();
    QDialog::accept();
}

}  // namespace tapelink
