#include "app/ui/AppLook.h"

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
    return QIcon(QStringLiteral(":/tapelink.svg"));
}

QFont dialogFont() {
    const QString family = QStringLiteral("宋体");
    // insertSubstitutions keeps each face once, so calling this again changes nothing.
    QFont::insertSubstitutions(
        family, {QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                 QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                 QStringLiteral("AR PL UMing CN"), QStringLiteral("Droid Sans Fallback")});
    QFont font(family);
    font.setPointSize(9);
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
