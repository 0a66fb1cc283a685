// The main of the GUI test programs: one application object for all their tests, made before
// any widget and gone before Qt's own statics.
#include "support/TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    tw::test::IsolateTestProcess();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
