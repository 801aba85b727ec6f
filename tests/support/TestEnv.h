#pragma once
#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <QtTest>

namespace TestEnv {
// Empties the test's own home and XDG folders (set by CTest) so every run starts fresh.
// Refuses to touch anything unless HOME points inside the build's testhome folder.
void prepare();
// The test's home folder.
QString home();
// Path of a helper executable built next to the tests of the same folder.
QString helperPath(const QString &name);
}

#define QUILLET_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TestEnv::prepare();                                                                        \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

#define QUILLET_TEST_MAIN_CORE(TestObject)                                                         \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TestEnv::prepare();                                                                        \
        QCoreApplication app(argc, argv);                                                          \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
