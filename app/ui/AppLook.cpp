#include "app/ui/AppLook.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

// The resource initialiser has to be named outside any namespace; calling it pulls the resource
// into programs that link the UI library statically.
static void initTapelinkResources() {
    Q_INIT_RESOURCE(tapelink);
}

namespace tapelink {

QIcon appIcon() {
    initTapelinkResources();
    // The installed icon theme's, so the window matches its menu entry; the built-in one where the
    // program runs from its build folder.
    return QIcon::fromTheme(QStringLiteral("tapelink"), QIcon(QStringLiteral(":/tapelink.svg")));
}

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

QSize dialogUnitsToPixels(const QFont& font, int width, int height) {
    const QFontMetrics metrics(font);
    // Base units: the average width of the Latin letters and the font's height.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    return {width * baseX / 4, height * baseY / 8};
}

}  // namespace tapelink
