#pragma once

#include <QDialog>
#include <optional>

#include "phone/CategoryCriteria.h"

class QButtonGroup;
class QDateEdit;
class QLineEdit;

namespace tapelink {

// Dialog 136, "分类上传": upload the recordings of one day or of one phone number. "上传" writes both the
// number text and the date into the criteria it was given, whichever button is chosen; "关闭", Esc and
// the close box change nothing.
class CCategoryUploadDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCategoryUploadDlg(CategoryCriteria& criteria, QWidget* parent = nullptr);

    CategoryChoice choice() const { return m_choice; }

    // Runs the dialog modally; the chosen criterion when it was closed with "上传".
    static std::optional<CategoryChoice> ask(CategoryCriteria& criteria, QWidget* parent);

public slots:
    void accept() override;

private:
    CategoryCriteria& m_criteria;
    CategoryChoice m_choice = CategoryChoice::ByDate;
    QButtonGroup* m_radios;
    QDateEdit* m_date;
    QLineEdit* m_number;
};

}  // namespace tapelink
