#include "tests/support/FakeTeamArchive.h"

namespace tapelink::test {

TeamStatus FakeTeamArchive::publish(const TeamRecording& recording, const std::string& audio,
                                    const RecordingNote& note) {
    return publishBatch({{recording, audio, note}});
}

TeamStatus FakeTeamArchive::publishBatch(const std::vector<TeamPublication>& batch) {
    batchSizes.push_back(batch.size());
    for (const TeamPublication& item : batch) {
        if (item.recording.name == failingName) return TeamStatus::Failed;
    }
    for (const TeamPublication& item : batch) stored.insert(item.recording.sha256);
    return TeamStatus::Ok;
}

TeamStatus FakeTeamArchive::confirmed(const std::string&, std::set<std::string>& sha256s) {
    sha256s = stored;
    return TeamStatus::Ok;
}

TeamStatus FakeTeamArchive::held(const std::string&, const std::vector<std::string>& sha256s,
                                 std::set<std::string>& out) {
    out.clear();
    for (const std::string& sha256 : sha256s) {
        if (stored.count(sha256) != 0) out.insert(sha256);
    }
    return TeamStatus::Ok;
}

}  // namespace tapelink::test
