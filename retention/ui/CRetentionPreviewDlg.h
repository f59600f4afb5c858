#pragma once

#include <QDialog>

#include "retention/RetentionPlan.h"

class QCheckBox;
class QPushButton;
class QTableWidget;

namespace tapelink {

// What "保留 N 天" would move out of the archive, before anything moves: each recording with its call's
// start and size, the count and the bytes, and how many a note or tag keeps. Recordings copied from the
// telephone are marked: the telephone's copy may have been cleared on the strength of this one, so "移出"
// waits until the user ticks that they have seen them.
class CRetentionPreviewDlg : public QDialog {
    Q_OBJECT
public:
    CRetentionPreviewDlg(const RetentionPreview& preview, int days, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }

    // Runs the dialog modally: true when "移出" was chosen.
    static bool ask(const RetentionPreview& preview, int days, QWidget* parent);

private:
    QTableWidget* m_table;
    QCheckBox* m_seen = nullptr;
    QPushButton* m_move;
};

}  // namespace tapelink
