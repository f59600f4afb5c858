#pragma once

#include <QWidget>
#include <optional>

class QCheckBox;
class QSpinBox;

namespace tapelink {

// The archive's rule "保留 N 天", shown where the upload folder is chosen: recordings whose call started more
// than N days ago leave the archive (those with a note or a tag stay). Off unless the user turns it on.
class RetentionRuleBox : public QWidget {
    Q_OBJECT
public:
    // Control ids of the rule beside the folder picker's own controls.
    static constexpr int kKeepCheck = 1060;
    static constexpr int kKeepDays = 1061;

    explicit RetentionRuleBox(std::optional<int> keepDays, QWidget* parent = nullptr);

    std::optional<int> keepDays() const;

private:
    QCheckBox* m_keep;
    QSpinBox* m_days;
};

}  // namespace tapelink
