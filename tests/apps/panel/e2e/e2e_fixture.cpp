#include "e2e_fixture.h"

#include <QtTest>

namespace zz::test {

using namespace rig;  // the shared rigs

void EndToEndFixture::init() {
    x_ = std::make_unique<XSession>();
    QVERIFY2(x_->ok(), x_->error().c_str());
    pty_ = std::make_unique<PtyPair>();
    QVERIFY(pty_->ok());
    ports_ = std::make_unique<PortMapSandbox>();
    QVERIFY(ports_->ok());
    QVERIFY(ports_->map(1, pty_->slavePath()));
    run_ = std::make_unique<PanelRun>();
    QVERIFY(run_->ok());
}

void EndToEndFixture::cleanup() {
    if (QTest::currentTestFailed() && run_ && x_) {
        qWarning("%s", qPrintable(context()));
        qWarning("program output:\n%s", run_->output().c_str());
    }
    run_.reset();
    ports_.reset();
    pty_.reset();
    x_.reset();
}

QString EndToEndFixture::context() {
    QStringList titles;
    for (const auto &t : x_->mapLog()) titles << QString::fromStdString('"' + t + '"');
    return QStringLiteral("windows mapped: %1; program: %2")
        .arg(titles.join(QStringLiteral(", ")),
             QString::fromStdString(describeWaitStatus(run_->process().waitStatus())));
}

QByteArray EndToEndFixture::receive(std::size_t n) {
    std::string data;
    const auto deadline = std::chrono::steady_clock::now() + kE2eWait;
    while (data.size() < n && std::chrono::steady_clock::now() < deadline) {
        x_->pump();
        data += pty_->readExactly(n - data.size(), std::chrono::milliseconds(20));
    }
    return bytes(data);
}

QByteArray EndToEndFixture::sentSoFar(std::chrono::milliseconds quiet) {
    return bytes(pty_->readAll(kE2eWait, quiet));
}

void EndToEndFixture::startProgram(const std::vector<std::string> &arguments) {
    QVERIFY(run_->start(APP_PATH, *x_, ports_->root(), arguments));
}

void EndToEndFixture::press(const TopWindow &window, const std::string &keys) {
    QVERIFY2(x_->keys(window.id, keys),
             qPrintable(QStringLiteral("xdotool could not send %1 (is it installed?)")
                            .arg(QString::fromStdString(keys))));
}

void EndToEndFixture::expectExit(int expected) {
    const auto status = run_->process().waitForExit(kE2eWait);
    QVERIFY2(status, "the program did not end");
    QVERIFY2(exitCode(status) == expected,
             qPrintable(QStringLiteral("expected exit status %1, got %2")
                            .arg(expected)
                            .arg(QString::fromStdString(describeWaitStatus(status)))));
}

void EndToEndFixture::expectPanelWithStartCommand() {
    const auto panel = x_->waitFor(kPanelTitle, kE2eWait, whenEnded());
    QVERIFY2(panel, qPrintable(context()));
    QCOMPARE(receive(6), QByteArray::fromHex("31303030300D"));
    QCOMPARE(sentSoFar(), QByteArray());
}

}  // namespace zz::test
