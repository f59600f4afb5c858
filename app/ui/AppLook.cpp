#include "app/ui/AppLook.h"

#include <QFontMetrics>

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

QSize dialogUnitsToPixels(const QFont& font, int width, int height) {
    const QFontMetrics metrics(font);
    // Base units: the average width of the Latin letters and the font's height.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    return {width * baseX / 4, height * baseY / 8};
}

}  // namespace tapelink
