#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Windows are real but never reach a screen, so the tests run where there is none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
