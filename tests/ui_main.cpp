#include <gtest/gtest.h>
#include <QApplication>

// Widget tests run the real windows on the offscreen platform.
int main(int argc, char** argv) {
    // Offscreen unless a test asks for a real display (the Xvfb runs).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
