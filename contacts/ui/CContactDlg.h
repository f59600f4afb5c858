#pragma once

#include <QDialog>

#include "common/IMessageSink.h"
#include "contacts/Contact.h"

class QLineEdit;
class QPlainTextEdit;

namespace tapelink {

// Adds or edits one contact: its name, its numbers (one a line) and its company. The contact given is
// changed only when the dialog is closed with 确定 and a name and a number were typed.
//
// Controls carry object names: "name", "numbers", "company", "1" 确定, "2" 取消.
class CContactDlg : public QDialog {
    Q_OBJECT

public:
    CContactDlg(Contact& contact, IMessageSink& messages, QWidget* parent = nullptr);

public slots:
    void accept() override;

private:
    Contact& m_contact;
    IMessageSink& m_messages;
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_numbers = nullptr;
    QLineEdit* m_company = nullptr;
};

}  // namespace tapelink
