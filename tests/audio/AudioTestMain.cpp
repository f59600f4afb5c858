#include <gtest/gtest.h>

#include <QCoreApplication>

// The sound output pulls its audio from a Qt event loop, so these tests run with an application object.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
