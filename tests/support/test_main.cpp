// The one main of every test program: a QApplication on the offscreen platform (widget tests
// need one) and a listener that puts every module's state back before each test.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/reset_all.h"

namespace {
class ResetListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { tolvi::test::ResetAllState(); }
};
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetListener);
    return RUN_ALL_TESTS();
}
