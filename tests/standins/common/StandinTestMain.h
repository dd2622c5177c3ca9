#pragma once

// QTEST_MAIN for the stand-ins' suites: the same, with the stand-ins'
// application object, so that the windows under test log their keys.

#include "ClassicApplication.h"

#include <QTest>

#define STANDIN_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        classic::ClassicApplication app(argc, argv);                                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        app.setQuitOnLastWindowClosed(false);                                                      \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
