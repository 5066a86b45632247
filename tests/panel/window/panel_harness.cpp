#include "panel_harness.h"

#include "ui/qt_message_boxes.h"

#include <QLabel>
#include <QTest>

namespace zz::test {

namespace {

// The platform's own serial backend, with a look at each write as it starts.
class WatchedBackend : public SerialBackend {
public:
    explicit WatchedBackend(std::function<void()> &beforeWrite)
        : real_(makePlatformSerialBackend()), beforeWrite_(beforeWrite) {}
    Status open(int port, const std::string &devicePath) override {
        return real_->open(port, devicePath);
    }
    Status write(std::string_view bytes) override {
        if (beforeWrite_) beforeWrite_();
        return real_->write(bytes);
    }
    Status close() override { return real_->close(); }
    bool isOpen() const override { return real_->isOpen(); }

private:
    std::unique_ptr<SerialBackend> real_;
    std::function<void()> &beforeWrite_;
};

}  // namespace

void ScriptedBoxes::exclamation(const std::string &title, const std::string &text) {
    calls.push_back({false, title, text});
}

bool ScriptedBoxes::askYesNo(const std::string &title, const std::string &text) {
    calls.push_back({true, title, text});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

PanelHarness::PanelHarness(bool openable) {
    sandbox_.map(1, openable ? pty_.slavePath() : sandbox_.root() + "/no-such-device");
    serial_ = std::make_unique<SerialControl>(std::make_unique<WatchedBackend>(beforeWrite));
    form_ = std::make_unique<PanelWindow>(*serial_, boxes);
    form_->serialControl().setPort(1);
    form_->show();
    if (QTest::qWaitForWindowExposed(form_.get())) {
        form_->activateWindow();
        (void)QTest::qWaitForWindowActive(form_.get());
    }
}

PanelHarness::~PanelHarness() {
    form_.reset();
}

bool PanelHarness::ready() const {
    return pty_.ok() && sandbox_.ok() && form_->isVisible() && form_->isActiveWindow();
}

QWidget *PanelHarness::client() const {
    return form_->centralWidget();
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
    for (int i = 6; i >= 2; --i) form_->digits().setDigitText(i, display.substr(6 - i, 1));
    form_->digits().setDigitText(1, display.substr(6, 1));
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
