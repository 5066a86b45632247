#include "panel_harness.h"

#include <QLabel>
#include <QTest>

namespace zz::test {

PanelHarness::PanelHarness(bool openable) {
    sandbox_.map(1, openable ? pty_.slavePath() : sandbox_.root() + "/no-such-device");
    serial_ = std::make_unique<link::SerialControl>(std::make_unique<WatchedBackend>(backend));
    window_ = std::make_unique<panel::PanelWindow>(*serial_, boxes);
    window_->serialControl().setPort(1);
    window_->show();
    if (QTest::qWaitForWindowExposed(window_.get())) {
        window_->activateWindow();
        (void)QTest::qWaitForWindowActive(window_.get());
    }
}

PanelHarness::~PanelHarness() {
    window_.reset();
}

bool PanelHarness::ready() const {
    return pty_.ok() && sandbox_.ok() && window_->isVisible() && window_->isActiveWindow();
}

QWidget *PanelHarness::client() const {
    return window_->centralWidget();
}

QString PanelHarness::shown() const {
    QString text;
    for (int i = 6; i >= 2; --i)
        text += element<QLabel>(QStringLiteral("DigitLab%1").arg(i))->text();
    text += element<QLabel>(QStringLiteral("Label11"))->text();
    text += element<QLabel>(QStringLiteral("DigitLab1"))->text();
    return text;
}

void PanelHarness::setValue(const std::string &display) {
    // "ddddd.d": characters 1..5 are DigitLab(6)..digitText(2), character 7 DigitLab(1).
    for (int i = 6; i >= 2; --i) window_->digits().setDigitText(i, display.substr(6 - i, 1));
    window_->digits().setDigitText(1, display.substr(6, 1));
}

void PanelHarness::clickAt(QPoint clientPos) {
    QWidget *target = client()->childAt(clientPos);
    if (!target) target = client();
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(client(), clientPos));
}

QPoint PanelHarness::visibleArrow(const QString &wheel) const {
    const QRect box = element(wheel)->geometry();
    // The up wheels show their top 22 px, the down wheels their bottom 21 px.
    const int y = wheel.startsWith(QLatin1String("AdjUp")) ? box.top() + 10 : box.bottom() - 10;
    return {box.center().x(), y};
}

QByteArray PanelHarness::received() {
    // Every send finishes before the handler returns, so what was written is
    // already waiting on the master side.
    return QByteArray::fromStdString(
        pty_.readAll(std::chrono::milliseconds(1000), std::chrono::milliseconds(50)));
}

}  // namespace zz::test
