#pragma once

#include <QDialog>
#include <QString>

#include "phone/OverwriteDecision.h"

namespace tapelink {

// Dialog 138: "<target> 文件已经存在，是否覆盖？" with 是, 全是, 否 and 全否. Each button closes the dialog with
// its decision; Esc and the close box answer 否.
class COverwriteDlg : public QDialog {
    Q_OBJECT
public:
    explicit COverwriteDlg(const QString& promptText, QWidget* parent = nullptr);

    OverwriteDecision decision() const { return m_decision; }

    // Runs the dialog modally and returns its decision.
    static OverwriteDecision ask(const QString& promptText, QWidget* parent);

public slots:
    void reject() override;

private:
    void decide(OverwriteDecision decision);

    OverwriteDecision m_decision = OverwriteDecision::Pending;
};

}  // namespace tapelink
