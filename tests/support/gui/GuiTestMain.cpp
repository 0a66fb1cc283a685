// The main of the GUI test programs: one application object for all their tests, made before
// any widget and gone before Qt's own statics. Without a platform named, the tests run headless
// (test discovery starts the programs without the test environment).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
