#include <QApplication>
#include <cstdlib>

#include "app/ui/CTapelinkApp.h"
#include "app/ui/StoreFolderLocator.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tapelink"));

    // Until the device watcher and the mount-table locator are wired in, the telephone is the folder
    // named by TAPELINK_STORE.
    const char* store = std::getenv("TAPELINK_STORE");
    const tapelink::StoreFolderLocator locator(store != nullptr ? store : "");

    tapelink::CTapelinkApp app(locator);
    app.StartUp();
    return EXIT_SUCCESS;
}
