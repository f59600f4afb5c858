#include "common/ui/ChineseLocale.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tapelink {

bool installChineseLocale(QCoreApplication& application) {
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
    QLocale::setDefault(chinese);
    // qt_zh_CN is the catalogue that pulls in each module's own (qtbase, qtmultimedia).
    auto* translator = new QTranslator(&application);
    if (!translator->load(chinese, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace tapelink
