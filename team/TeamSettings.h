#pragma once

#include <string>

namespace tapelink {

// How a desk reaches its team's archive. A desk without a server belongs to no team.
struct TeamSettings {
    std::string server;  // a libpq service name or connection URI; the password stays in ~/.pgpass
    std::string desk;    // this desk's name on the server
    // Clearing the telephone also waits for the server to hold the recording.
    bool clearingNeedsServer = true;

    bool inTeam() const { return !server.empty() && !desk.empty(); }
    bool operator==(const TeamSettings&) const = default;
};

}  // namespace tapelink
