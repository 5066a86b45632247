// The panel driven through its real widgets, port 1 a pseudo-terminal: what
// the digits show and the exact bytes that reach the other side.

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include "frontpanel/panel_texts.h"
#include "panel/spin_button.h"
#include "panel_harness.h"

using zz::test::BoxCall;
using zz::test::PanelHarness;
namespace text = zz::frontpanel::panel_text;

namespace {

QByteArray frames(const char *frame, int count) {
    QByteArray bytes;
    for (int k = 0; k < count; ++k) bytes += QByteArray(frame) + '\r';
    return bytes;
}

std::vector<std::string> splitFrames(const QByteArray &bytes) {
    std::vector<std::string> out;
    std::string current;
    for (char c : bytes) {
        if (c == '\r') {
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) out.push_back(current + "<no CR>");
    return out;
}

// How the operator confirms a typed value.
enum class Confirm { Return, KeypadEnter, SetButton };

}  // namespace

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Confirm)

class tst_PanelBehaviour : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { panel_.reset(); }

    void wheels_data();
    void wheels();
    void heldArrowRepeatsEachStepWithItsFrame();
    void spaceStepsFocusedArrow_data();
    void spaceStepsFocusedArrow();
    void entry_data();
    void entry();
    void altSRunsEntry();
    void presets_data();
    void presets();
    void digitsArePaintedBeforeSending_data();
    void digitsArePaintedBeforeSending();
    void unopenablePort_data();
    void unopenablePort();
    void closingSendsNothing_data();
    void closingSendsNothing();
    void menuCommands();

private:
    PanelHarness &open(bool openable = true) {
        panel_ = std::make_unique<PanelHarness>(openable);
        return *panel_;
    }
    std::unique_ptr<PanelHarness> panel_;
};

void tst_PanelBehaviour::wheels_data() {
    QTest::addColumn<std::string>("start");
    QTest::addColumn<QString>("wheel");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("carry over three digits sends four times") << std::string("00099.9") << "AdjUp1"
                                                              << "00100.0" << frames("00100.0", 4);
    QTest::newRow("carry from the 1 ohm digit sends twice") << std::string("00009.0") << "AdjUp2"
                                                            << "00010.0" << frames("00010.0", 2);
    QTest::newRow("plain lower") << std::string("12345.6") << "AdjDown4"
                                 << "12245.6" << frames("12245.6", 1);
    QTest::newRow("no borrow") << std::string("10000.0") << "AdjDown1"
                               << "10000.0" << frames("10000.0", 1);
    QTest::newRow("top: 0.1 ohm at 99999.9 sends once, unchanged")
        << std::string("99999.9") << "AdjUp1"
        << "99999.9" << frames("99999.9", 1);
}

void tst_PanelBehaviour::wheels() {
    QFETCH(std::string, start);
    QFETCH(QString, wheel);
    QFETCH(QString, after);
    QFETCH(QByteArray, bytes);

    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    panel.setValue(start);
    panel.clickAt(panel.visibleArrow(wheel));
    QCOMPARE(panel.shown(), after);
    QCOMPARE(panel.received(), bytes);
    QVERIFY(panel.boxes.calls.empty());
}

void tst_PanelBehaviour::heldArrowRepeatsEachStepWithItsFrame() {
    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    panel.setValue("00000.0");
    QWidget *wheel = panel.element("AdjUp6");
    const QPoint arrow = wheel->mapFrom(panel.client(), panel.visibleArrow("AdjUp6"));

    QTest::mousePress(wheel, Qt::LeftButton, {}, arrow);
    QTRY_VERIFY_WITH_TIMEOUT(panel.window().digits().digitText(6) >= "3", 20000);
    QTest::mouseRelease(wheel, Qt::LeftButton, {}, arrow);

    // One frame per step: 10000.0, 20000.0, ... and, once the digit is at 9,
    // the unchanged 90000.0 again for every further repetition.
    const std::vector<std::string> sent = splitFrames(panel.received());
    QVERIFY(sent.size() >= 3);
    for (std::size_t k = 0; k < sent.size(); ++k) {
        const int digit = static_cast<int>(std::min<std::size_t>(k + 1, 9));
        QCOMPARE(sent[k], std::to_string(digit) + "0000.0");
    }
    QCOMPARE(QString::fromStdString(sent.back()), panel.shown());

    // Released: no more steps.
    QTest::qWait(3 * zz::panel::SpinButton::kRepeatDelayMs);
    QVERIFY(panel.received().isEmpty());
}

void tst_PanelBehaviour::spaceStepsFocusedArrow_data() {
    QTest::addColumn<QString>("wheel");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("AdjUp3 raises") << "AdjUp3" << frames("01262.5", 1);
    QTest::newRow("AdjDown5 lowers") << "AdjDown5" << frames("00252.5", 1);
}

void tst_PanelBehaviour::spaceStepsFocusedArrow() {
    QFETCH(QString, wheel);
    QFETCH(QByteArray, bytes);
    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    panel.setValue("01252.5");
    QWidget *arrow = panel.element(wheel);
    arrow->setFocus(Qt::TabFocusReason);
    QVERIFY(arrow->hasFocus());
    QTest::keyClick(arrow, Qt::Key_Space);
    QCOMPARE(panel.received(), bytes);
    QCOMPARE(panel.shown().toLatin1() + '\r', bytes);
}

void tst_PanelBehaviour::entry_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Confirm>("confirm");
    QTest::addColumn<QString>("after");  // the readout
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("title");  // of the message, empty: none
    QTest::addColumn<QString>("prompt");

    const QString start = QStringLiteral("10000.0");
    QTest::newRow("exact half rounds up, Return")
        << "12.25" << Confirm::Return << "00012.3" << frames("00012.3", 1) << ""
        << "";
    QTest::newRow("double just below a half, keypad Enter")
        << "0.15" << Confirm::KeypadEnter << "00000.2" << frames("00000.2", 1) << ""
        << "";
    QTest::newRow("two decimals, Set Value")
        << "1234.56" << Confirm::SetButton << "01234.6" << frames("01234.6", 1) << ""
        << "";

    const QString noValue = QString::fromLatin1(text::kNoValueTitle);
    const QString range = QString::fromLatin1(text::kOutOfRangeTitle);
    QTest::newRow("empty") << "" << Confirm::Return << start << QByteArray() << noValue
                           << "Please enter a value in the box provided.";
    QTest::newRow("spaces only") << "   " << Confirm::SetButton << start << QByteArray() << noValue
                                 << "Please enter a value in the box provided.";
    QTest::newRow("rounds above the top")
        << "99999.95" << Confirm::Return << start << QByteArray() << range
        << "The value entered is too high (max. = 99999.9 Ohms)";
    QTest::newRow("beyond double range")
        << "1e400" << Confirm::Return << start << QByteArray() << range
        << "The value entered is too high (max. = 99999.9 Ohms)";
    QTest::newRow("negative") << "-12" << Confirm::SetButton << start << QByteArray() << range
                              << "The value entered is too low (min. = 0.0 Ohms)";
}

void tst_PanelBehaviour::entry() {
    QFETCH(QString, typed);
    QFETCH(Confirm, confirm);
    QFETCH(QString, after);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, title);
    QFETCH(QString, prompt);

    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    panel.setValue("10000.0");
    auto *box = panel.element<QLineEdit>("ManText");
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), typed);

    switch (confirm) {
        case Confirm::Return:
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case Confirm::KeypadEnter:
            QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
            break;
        case Confirm::SetButton:
            panel.clickAt(panel.element("SetBut")->geometry().center());
            break;
    }

    QCOMPARE(panel.shown(), after);
    QCOMPARE(panel.received(), bytes);
    const bool refused = !title.isEmpty();
    QCOMPARE(box->text(), refused ? typed : QString());
    if (refused) {
        QCOMPARE(panel.boxes.calls.size(), std::size_t(1));
        const BoxCall &call = panel.boxes.calls.front();
        QVERIFY(!call.question);
        QCOMPARE(call.title, title);
        QCOMPARE(call.text, prompt);
    } else {
        QVERIFY(panel.boxes.calls.empty());
    }
    if (confirm != Confirm::SetButton) QVERIFY(box->hasFocus());  // ready for the next value
}

void tst_PanelBehaviour::altSRunsEntry() {
    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    auto *box = panel.element<QLineEdit>("ManText");
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(box, "5");
    QTest::keyClick(box, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(panel.shown(), QStringLiteral("00005.0"));
    QCOMPARE(panel.received(), frames("00005.0", 1));
    QCOMPARE(box->text(), QString());
}

void tst_PanelBehaviour::presets_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<bool>>("answers");  // to the ZERO question
    QTest::addColumn<QString>("after");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("0.1 ohm") << "RanBut1" << QList<bool>{} << "00000.1" << frames("0.1", 1);
    QTest::newRow("1 ohm") << "RanBut2" << QList<bool>{} << "00001.0" << frames("1.0", 1);
    QTest::newRow("10 ohm") << "RanBut3" << QList<bool>{} << "00010.0" << frames("10.0", 1);
    QTest::newRow("100 ohm") << "RanBut4" << QList<bool>{} << "00100.0" << frames("100.0", 1);
    QTest::newRow("1 kohm clears the rest")
        << "RanBut5" << QList<bool>{} << "01000.0" << frames("1000.0", 1);
    QTest::newRow("10 kohm") << "RanBut6" << QList<bool>{} << "10000.0" << frames("10000.0", 1);
    QTest::newRow("100 kohm") << "RanBut7" << QList<bool>{} << "99999.9" << frames("99999.9", 1);
    QTest::newRow("ZERO, Yes") << "RanBut0" << QList<bool>{true} << "00000.0" << frames("0.0", 1);
    QTest::newRow("ZERO, No") << "RanBut0" << QList<bool>{false} << "12345.6" << QByteArray();
}

void tst_PanelBehaviour::presets() {
    QFETCH(QString, button);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, after);
    QFETCH(QByteArray, bytes);

    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    panel.setValue("12345.6");
    panel.boxes.answers.assign(answers.begin(), answers.end());
    panel.clickAt(panel.element(button)->geometry().center());

    QCOMPARE(panel.shown(), after);
    QCOMPARE(panel.received(), bytes);
    if (button == QLatin1String("RanBut0")) {
        QCOMPARE(panel.boxes.calls.size(), std::size_t(1));
        const BoxCall &call = panel.boxes.calls.front();
        QVERIFY(call.question);
        QCOMPARE(call.title, QStringLiteral("Set to ZERO"));
        QCOMPARE(call.text, QStringLiteral("Set to ZERO\r\rAre You Sure?"));
    } else {
        QVERIFY(panel.boxes.calls.empty());
    }
}

// Records what the watched label showed each time it painted.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *label) { label->installEventFilter(this); }
    QStringList painted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint) painted << static_cast<QLabel *>(watched)->text();
        return false;
    }
};

void tst_PanelBehaviour::digitsArePaintedBeforeSending_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("digit");
    QTest::addColumn<QString>("shows");
    QTest::newRow("wheel") << "AdjUp3"
                           << "DigitLab3"
                           << "1";
    QTest::newRow("preset") << "RanBut4"
                            << "DigitLab4"
                            << "1";
    QTest::newRow("entry") << "SetBut"
                           << "DigitLab2"
                           << "7";
}

void tst_PanelBehaviour::digitsArePaintedBeforeSending() {
    QFETCH(QString, control);
    QFETCH(QString, digit);
    QFETCH(QString, shows);

    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    panel.setValue("00000.0");
    panel.element<QLineEdit>("ManText")->setText("7");
    QCoreApplication::processEvents();  // nothing left to paint from the set-up
    PaintWatch watch(panel.element(digit));
    QStringList paintedBeforeWrite;
    panel.backend->beforeWrite = [&] {
        if (paintedBeforeWrite.isEmpty()) paintedBeforeWrite = watch.painted;
    };

    const QPoint at = control.startsWith(QLatin1String("Adj"))
                          ? panel.visibleArrow(control)
                          : panel.element(control)->geometry().center();
    panel.clickAt(at);

    // The new digit was on screen before the first byte went out.
    QVERIFY(paintedBeforeWrite.contains(shows));
    QVERIFY(!panel.received().isEmpty());
}

void tst_PanelBehaviour::unopenablePort_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("after");
    QTest::newRow("raise") << "AdjUp2"
                           << "01001.0";
    QTest::newRow("lower") << "AdjDown5"
                           << "00000.0";
    QTest::newRow("carry") << "AdjUp1"
                           << "01000.0";
    QTest::newRow("preset") << "RanBut6"
                            << "10000.0";
    QTest::newRow("entry") << "SetBut"
                           << "00042.0";
}

void tst_PanelBehaviour::unopenablePort() {
    QFETCH(QString, control);
    QFETCH(QString, after);

    PanelHarness &panel = open(false);
    QVERIFY(panel.ready());
    panel.setValue(control == QLatin1String("AdjUp1") ? "00999.9" : "01000.0");
    auto *box = panel.element<QLineEdit>("ManText");
    box->setText("42");

    const QPoint at = control.startsWith(QLatin1String("Adj"))
                          ? panel.visibleArrow(control)
                          : panel.element(control)->geometry().center();
    panel.clickAt(at);
    QCOMPARE(panel.shown(), after);
    QVERIFY(panel.boxes.calls.empty());
    if (control == QLatin1String("SetBut")) QCOMPARE(box->text(), QString());
    QVERIFY(!panel.window().serialControl().isOpen());
}

void tst_PanelBehaviour::closingSendsNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Exit button") << "click";
    QTest::newRow("Alt+E") << "alt+e";
    QTest::newRow("close box") << "close";
}

void tst_PanelBehaviour::closingSendsNothing() {
    QFETCH(QString, how);
    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    if (how == QLatin1String("click"))
        panel.clickAt(panel.element("ExitBut")->geometry().center());
    else if (how == QLatin1String("alt+e"))
        QTest::keyClick(&panel.window(), Qt::Key_E, Qt::AltModifier);
    else
        panel.window().close();
    QTRY_VERIFY(!panel.window().isVisible());
    QVERIFY(panel.received().isEmpty());
}

void tst_PanelBehaviour::menuCommands() {
    PanelHarness &panel = open();
    QVERIFY(panel.ready());
    int comPort = 0;
    int about = 0;
    panel.window().setComPortCommand([&] { ++comPort; });
    panel.window().setAboutCommand([&] { ++about; });

    QMenuBar *bar = panel.window().menuBar();
    auto clickCommand = [&](const char *name) {
        QAction *command = panel.window().findChild<QAction *>(QLatin1String(name));
        QVERIFY(command);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(command).center());
    };
    clickCommand("COMMenu");
    QTRY_COMPARE(comPort, 1);
    QCOMPARE(about, 0);
    clickCommand("AboMenu");
    QTRY_COMPARE(about, 1);
    QCOMPARE(comPort, 1);
    QVERIFY(panel.received().isEmpty());
}

QTEST_MAIN(tst_PanelBehaviour)
#include "tst_panel_behaviour.moc"
