#pragma once

namespace tapelink {

// How a call on the team archive went. Refused is the server's rules saying no (a right the person does not
// have, or a write that touched no row): never reported as done.
enum class TeamStatus {
    Ok,
    Refused,
    ConnectionLost,  // the server could not be reached or the connection broke; trying again may work
    Failed,
};

}  // namespace tapelink
