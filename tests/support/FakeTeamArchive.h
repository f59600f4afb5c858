#pragma once

#include <set>
#include <string>
#include <vector>

#include "team/ITeamArchive.h"

namespace tapelink::test {

// A team server in memory for one desk: it keeps the digests it was sent, and fails a whole batch that holds
// the recording named failingName, as a server does with a row it will not take.
class FakeTeamArchive : public ITeamArchive {
public:
    TeamStatus publish(const TeamRecording& recording, const std::string& audio, const RecordingNote& note) override;
    TeamStatus publishBatch(const std::vector<TeamPublication>& batch) override;
    TeamStatus confirmed(const std::string& desk, std::set<std::string>& sha256s) override;
    TeamStatus held(const std::string& desk, const std::vector<std::string>& sha256s,
                    std::set<std::string>& out) override;
    TeamStatus search(const TeamSearchCriteria&, std::vector<TeamRecording>&) override { return TeamStatus::Failed; }
    TeamStatus fetchAudio(const std::string&, const std::string&, std::string&) override { return TeamStatus::Failed; }
    TeamStatus noteOf(const std::string&, const std::string&, TeamNote&) override { return TeamStatus::Failed; }
    TeamStatus setNote(const std::string&, const std::string&, const RecordingNote&) override {
        return TeamStatus::Failed;
    }
    TeamStatus remove(const std::string&, const std::string&) override { return TeamStatus::Failed; }
    TeamStatus callFigures(const std::string&, const std::string&, const std::string&, CallFigureRows&) override {
        return TeamStatus::Failed;
    }

    std::string failingName;
    std::set<std::string> stored;
    std::vector<std::size_t> batchSizes;  // of every publishBatch call, in order
};

}  // namespace tapelink::test
