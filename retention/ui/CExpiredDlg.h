#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "catalogue/CatalogueRecord.h"

class QPushButton;
class QTableWidget;

namespace tapelink {

// "已过期的录音": the recordings the retention rule moved to .tapelink/expired/, each with the day it
// expired and the day it is deleted for good. The user restores the selected ones or empties them all
// ("清空"); the dialog closes with that choice and the archive's worker carries it out, so nothing is
// moved while the list is shown.
class CExpiredDlg : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        enum class Action { None, Restore, Purge };
        Action action = Action::None;
        std::vector<std::string> names;  // Restore: the file names chosen

        bool operator==(const Choice&) const = default;
    };

    CExpiredDlg(std::vector<CatalogueRecord> rows, int purgeDays, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    const Choice& choice() const { return m_choice; }

    // Runs the dialog modally.
    static Choice ask(const std::vector<CatalogueRecord>& rows, int purgeDays, QWidget* parent);

private:
    void choose(Choice::Action action);

    std::vector<CatalogueRecord> m_rows;
    QTableWidget* m_table;
    QPushButton* m_restore;
    QPushButton* m_purge;
    Choice m_choice;
};

}  // namespace tapelink
