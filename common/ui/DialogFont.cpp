#include "common/ui/DialogFont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

namespace tapelink {

QFont dialogFont() {
    const QString family = QStringLiteral("宋体");
    const QStringList songTi = {family, QStringLiteral("SimSun"), QStringLiteral("NSimSun")};
    const QStringList standIns = {QStringLiteral("NSimSun"),          QStringLiteral("WenQuanYi Micro Hei"),
                                  QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                                  QStringLiteral("AR PL UMing CN"),   QStringLiteral("Droid Sans Fallback")};
    // insertSubstitutions keeps each face once, so calling this again changes nothing. Windows that
    // name the face by its Latin name get the same stand-ins.
    QFont::insertSubstitutions(family, QStringList{QStringLiteral("SimSun")} + standIns);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), standIns);
    QFont font(family);
    font.setPointSize(9);
    // 宋体's Latin letters are 6 pixels wide at 9 points, and the list columns are sized for them
    // ("VOA00001.WAV" in 90 pixels). A stand-in's letters are wider, so it is used a size smaller.
    if (!songTi.contains(QFontInfo(font).family(), Qt::CaseInsensitive)) font.setPointSizeF(kStandInPointSize);
    return font;
}

int listRowHeight(const QFont& font) {
    return QFontMetrics(font).height() + 4;
}

}  // namespace tapelink
