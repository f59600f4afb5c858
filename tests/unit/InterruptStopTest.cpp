#include "cli/InterruptStop.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace tapelink::cli;

TEST(InterruptStopTest, SigtermAndSigintBecomeAStopRequestInsteadOfEndingTheProcess) {
    for (const int signal : {SIGTERM, SIGINT}) {
        const InterruptStop stop;
        EXPECT_FALSE(stop.interrupted());
        ASSERT_EQ(::kill(::getpid(), signal), 0);
        for (int wait = 0; wait < 500 && !stop.interrupted(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(stop.token().stop_requested());
    }
}
