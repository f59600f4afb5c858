#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

class QScrollArea;

namespace tapelink {

// A message box for a text taller than the screen allows (a long report): the icon, the text in a scroll
// area and 确定, captioned "提示", never larger than the screen's free area.
class ScrollingMessageBox : public QDialog {
    Q_OBJECT
public:
    ScrollingMessageBox(const QString& text, const QPixmap& icon, const QFont& font, QWidget* parent = nullptr);

    // Whether text at font would make a plain message box taller than this part of the free screen height.
    static bool needed(const QString& text, const QFont& font, const QWidget* near);

    QScrollArea* textArea() const { return m_area; }

private:
    QScrollArea* m_area = nullptr;
};

}  // namespace tapelink
