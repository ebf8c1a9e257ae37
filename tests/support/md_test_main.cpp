// Runs the tests of one binary with an application object and a HOME of their own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "md_test_support.h"

#ifdef MD_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
using TTestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    TTempHome home;
    TTestApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
