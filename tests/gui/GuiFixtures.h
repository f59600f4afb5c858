#pragma once

#include <QTest>
#include <cstdio>
#include <string>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/MainWindowServices.h"
#include "phone/IDeviceLocator.h"
#include "platform/SqliteCatalogueOpener.h"
#include "tests/support/VolumeBuilder.h"

namespace tapelink::test {

// A locator whose answer the test sets, counting how often it is asked.
class FakeLocator : public IDeviceLocator {
public:
    std::string FindPhoneDrive() const override {
        ++calls;
        return root;
    }

    std::string root;
    mutable int calls = 0;
};

// A telephone volume under root with count call recordings VOA00001.WAV, VOA00002.WAV, ...
inline void buildPhone(const std::string& root, int count, int firstSerial = 1) {
    VolumeBuilder volume(root);
    volume.writeIndex(
        VolumeBuilder::header(static_cast<std::uint16_t>(count), static_cast<std::uint16_t>(firstSerial + count)));
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "VOA%05d.WAV", firstSerial + i);
        VolumeBuilder::writeRecording(volume.voice() + name,
                                      VolumeBuilder::info('B', "1380013800" + std::to_string(i % 10), 11, 5, 18, 9, i));
    }
}

// The main window's services as the program makes them: the archives' catalogues in SQLite files. The
// opener keeps no state, so one serves every test.
inline MainWindowServices servicesWithCatalogues() {
    static SqliteCatalogueOpener catalogues;
    MainWindowServices services;
    services.catalogueOpener = &catalogues;
    return services;
}

// Waits until the window's listing of the telephone is shown; false when it never was.
inline bool waitForListing(const CTapelinkDlg& window) {
    return QTest::qWaitFor([&window] { return !window.listingPending(); }, 10000);
}

}  // namespace tapelink::test
