#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tapelink {

// The confirmation of "删除已存档录音": how many verified recordings will be deleted from the telephone,
// with the retention rule (only recordings that started more than N days ago) offered beside it. The
// count follows the rule as it is chosen.
class CClearArchivedDlg : public QDialog {
    Q_OBJECT
public:
    // How many recordings a rule deletes; no value: every verified one.
    using CountFor = std::function<int(std::optional<int> olderThanDays)>;
    // The rule chosen: no value for every verified recording.
    using Choice = std::optional<int>;

    CClearArchivedDlg(CountFor countFor, Choice initial, QWidget* parent = nullptr);

    Choice choice() const;

    // Runs the dialog modally: the rule chosen when confirmed, nothing when cancelled.
    static std::optional<Choice> ask(const CountFor& countFor, Choice initial, QWidget* parent);

private:
    void update();

    CountFor m_countFor;
    QLabel* m_question;
    QCheckBox* m_olderOnly;
    QSpinBox* m_days;
    QPushButton* m_ok;
};

}  // namespace tapelink
