#include "settings/ListeningSettingsFile.h"

#include <gtest/gtest.h>

#include "settings/ProfileFolder.h"
#include "settings/SettingsStore.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

namespace tapelink {
namespace {

TEST(ListeningSettingsFileTest, ChoicesSurviveARunAndLeaveTheSettingsRecordAlone) {
    test::TempFolder folder;
    const std::string profile = folder.path() + "Tapelink";
    ensureProfileFolder(profile);
    SettingsStore settings;
    settings.Load(settingsFilePath(profile));
    SettingsRecord record;
    record.bytes[0] = 1;
    record.setUploadFolder("/home/desk/calls");
    settings.SetRecord(record);
    ASSERT_TRUE(settings.Save());
    const auto recordBytes = test::VolumeBuilder::readBytes(settingsFilePath(profile));

    ListeningSettingsFile file;
    file.Load(listeningSettingsFilePath(profile));
    EXPECT_EQ(file.preferences(), ListeningPreferences{});
    ASSERT_TRUE(file.setPreferences({7, true}));

    ListeningSettingsFile again;
    again.Load(listeningSettingsFilePath(profile));
    EXPECT_EQ(again.preferences(), (ListeningPreferences{7, true}));
    EXPECT_EQ(test::VolumeBuilder::readBytes(settingsFilePath(profile)), recordBytes);
    EXPECT_EQ(recordBytes.size(), SettingsRecord::kSize);
}

TEST(ListeningSettingsFileTest, DamagedOrForeignLinesAreIgnored) {
    using File = ListeningSettingsFile;
    EXPECT_EQ(File::parse("speed=1.75\nskip-silence=on\n"), (ListeningPreferences{7, true}));
    EXPECT_EQ(File::parse(" speed = 0.5 \r\nvolume=3\n"), (ListeningPreferences{2, false}));
    for (const char* bad : {"speed=3", "speed=1.1", "speed=nan", "speed=1.5x", "speed=", "speed", "\xff\xfe=1"})
        EXPECT_EQ(File::parse(bad), ListeningPreferences{}) << bad;
    EXPECT_EQ(File::parse("skip-silence=yes"), ListeningPreferences{});
    EXPECT_EQ(File::parse(File::format({5, true})), (ListeningPreferences{5, true}));
}

}  // namespace
}  // namespace tapelink
