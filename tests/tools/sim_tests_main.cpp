// Runs the simulator's test classes in one executable.

#include <QCoreApplication>
#include <QtTest>

QObject *makeFrameCheckTest();
QObject *makeSimulatorTest();

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    int failed = 0;
    for (QObject *test : {makeFrameCheckTest(), makeSimulatorTest()}) {
        failed += QTest::qExec(test, argc, argv);
        delete test;
    }
    return failed;
}
