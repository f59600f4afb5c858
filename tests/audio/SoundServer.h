#pragma once

#include <functional>
#include <string>

namespace tapelink::test {

// The private sound server the test scripts start (PULSE_SERVER). Tests that need it skip without it, so they
// never touch a desktop's own server.
bool soundServerAvailable();

// pactl's output for the given arguments, run against that server.
std::string pactl(const std::string& arguments);

// Runs the Qt event loop until done() holds or timeoutMs pass; calls tick() every 300 ms meanwhile, as the
// player's timer would. Returns done().
bool runEventsUntil(const std::function<bool()>& done, int timeoutMs, const std::function<void()>& tick = {});

}  // namespace tapelink::test
