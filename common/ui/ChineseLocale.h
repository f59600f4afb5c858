#pragma once

#include <QCoreApplication>

namespace tapelink {

// Makes every standard piece of Qt speak Simplified Chinese, whatever the environment's language: the
// locale (dates, the calendar, numbers) and Qt's own zh_CN catalogues (standard buttons, the file and
// folder dialogs, Qt Multimedia's errors). Call once, after the application object exists. False when
// the catalogues are not installed; the program then runs with Qt's English texts.
bool installChineseLocale(QCoreApplication& application);

}  // namespace tapelink
