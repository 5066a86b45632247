// The start sequence and the port dialog's steps without any window: a face
// that records what it was asked to show and answers the dialog from a
// script, the port a real pseudo-terminal whose far end gives the exact bytes.

#include "frontpanel/panel_logic.h"
#include "frontpanel/panel_profile.h"
#include "frontpanel/value_register.h"
#include "link/command_record.h"
#include "link/port_map.h"
#include "link/serial_control.h"
#include "rig/fake_serial_tree.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "startup/port_choice.h"
#include "startup/start_sequence.h"
#include "support/bytes.h"
#include "support/scratch_directory.h"
#include "support/scripted_boxes.h"

#include <QtTest>

#include <deque>
#include <filesystem>
#include <fstream>

using namespace zz;

namespace {

// One answer of the operator in the port dialog: a text confirmed with OK
// (tried until the confirm step takes it), or the dialog closed.
struct DialogAnswer {
    std::string confirm;  // empty: no OK pressed
    startup::DialogEnd otherwise = startup::DialogEnd::Closed;
};

// The panel's logic as a face keeps it: no repaints, sends through the port.
struct QuietView : frontpanel::PanelView {
    void repaintDigit(int) override {}
    void repaintPanel() override {}
    Status send(const std::string &) override { return {}; }
};

class RecordingFace : public startup::StartUi {
public:
    QStringList events;
    const link::SerialControl *serial = nullptr;
    QuietView view;
    test::ScriptedBoxes logicBoxes;
    frontpanel::PanelProfile profile;
    std::unique_ptr<frontpanel::PanelLogic> logic;
    std::vector<startup::PortDialogText> dialogs;
    std::deque<DialogAnswer> answers;
    frontpanel::ValueRegister digits;
    bool panelMade = false;

    void showStartScreen() override { events << "start screen"; }
    void pause(double seconds) override { events << QString("pause %1").arg(seconds); }
    void closeStartScreen() override { events << "start screen closed"; }
    startup::DialogEnd askForPort(const startup::PortDialogText &text, startup::PortListing &,
                                  const startup::ConfirmPort &confirm) override {
        events << "dialog";
        dialogs.push_back(text);
        const DialogAnswer answer = answers.empty() ? DialogAnswer{} : answers.front();
        if (!answers.empty()) answers.pop_front();
        if (!answer.confirm.empty() && confirm(answer.confirm))
            return startup::DialogEnd::Confirmed;
        return answer.otherwise;
    }
    void createPanel() override {
        events << "panel made";
        panelMade = true;
        logic = std::make_unique<frontpanel::PanelLogic>(digits, view, logicBoxes);
    }
    frontpanel::PanelLogic &panelLogic() override {
        if (const auto news = profile.look(serial->port())) logic->setRules(profile.rules(), *news);
        return *logic;
    }
    void showPanel() override { events << "panel shown"; }
    void dropPanel() override {
        events << "panel dropped";
        panelMade = false;
    }
    frontpanel::ValueRegister &panelDigits() override { return digits; }
    void repaintPanel() override {
        events << "repaint " + QString::fromStdString(digits.displayText());
    }
    bool stopRequested() override { return false; }
};

const QStringList kStartScreen = {"start screen", "pause 2", "start screen closed"};

}  // namespace

class tst_StartSequence : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ScratchCurrentDirectory> scratch_;
    std::unique_ptr<rig::FakeSerialTree> noPorts_;  // the dialog lists no device of the machine's
    std::unique_ptr<rig::PortMapSandbox> ports_;
    std::unique_ptr<rig::PtyPair> pty_;
    test::ScriptedBoxes boxes_;
    std::unique_ptr<link::SerialControl> serial_;
    RecordingFace face_;

    QByteArray wire() {
        return QByteArray::fromStdString(pty_->readAll(std::chrono::milliseconds(300)));
    }

private slots:
    void init() {
        scratch_ = std::make_unique<test::ScratchCurrentDirectory>();
        QVERIFY(scratch_->ok());
        noPorts_ = std::make_unique<rig::FakeSerialTree>();
        ports_ = std::make_unique<rig::PortMapSandbox>();
        pty_ = std::make_unique<rig::PtyPair>();
        QVERIFY(noPorts_->ok() && ports_->ok() && pty_->ok());
        QVERIFY(ports_->map(1, pty_->slavePath()));
        QVERIFY(ports_->map(7, scratch_->path().toStdString() + "/no-such-device"));
        boxes_.calls.clear();
        serial_ = std::make_unique<link::SerialControl>();
        face_ = RecordingFace();  // createPanel() makes its logic afresh
        face_.serial = serial_.get();
    }
    void cleanup() {
        pty_.reset();
        ports_.reset();
        noPorts_.reset();
        scratch_.reset();
    }

    void normalStartShows10000AndSendsItOnce() {
        QVERIFY(test::writeFile("Settings.txt", "1\r\n"));
        QCOMPARE(startup::runStartSequence(face_, *serial_, boxes_), startup::StartEnd());
        const QStringList panelShown = {"panel made", "panel shown", "repaint 10000.0"};
        QCOMPARE(face_.events, kStartScreen + panelShown);
        QCOMPARE(wire(), QByteArray("10000\r"));
        QVERIFY(!serial_->isOpen());
        QVERIFY(boxes_.calls.empty());
    }

    // The port's box profile holds the start value to its limits.
    void startValueObeysTheProfile_data() {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QString>("record");  // what the box was last set to; empty: not known
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("caption");
        QTest::newRow("none") << QByteArray() << "" << QByteArray("10000\r") << "";
        QTest::newRow("max 10000")
            << QByteArray("[limits]\nmax = 10000.0\n") << "" << QByteArray("10000\r") << "";
        QTest::newRow("max 2000") << QByteArray("[limits]\nmax = 2000.0\n") << "" << QByteArray()
                                  << "the start value 10000.0 \u03A9 was not sent: above the "
                                     "limit 2000.0 \u03A9 of this box's profile";
        QTest::newRow("min 20000") << QByteArray("[limits]\nmin = 20000.0\n") << "" << QByteArray()
                                   << "the start value 10000.0 \u03A9 was not sent: below";
        QTest::newRow("refused") << QByteArray("[limits]\nmax = \"x\"\n") << "" << QByteArray()
                                 << "the start value 10000.0 \u03A9 was not sent: the profile ";
        // The largest change counts from the box's last value; refused, the
        // digits show that value.
        QTest::newRow("a change too large from the last value")
            << QByteArray("[limits]\nmax_change = 500\n") << "00100.0" << QByteArray()
            << "the start value 10000.0 \u03A9 was not sent: a change of 9900.0 \u03A9";
        QTest::newRow("a change inside from the last value")
            << QByteArray("[limits]\nmax_change = 500\n") << "09800.0" << QByteArray("10000\r")
            << "";
    }
    void startValueObeysTheProfile() {
        QFETCH(QByteArray, profile);
        QFETCH(QString, record);
        QFETCH(QByteArray, sent);
        QFETCH(QString, caption);
        if (!record.isEmpty())
            QVERIFY(link::writeCommandRecord(link::portDevicePath(1),
                                             {record.toStdString(), 1, "6175ZIZ-ctl", 1}));
        if (!profile.isEmpty()) {
            std::filesystem::create_directories(ports_->root() + "/6175ZIZ/boxes");
            std::ofstream(ports_->root() + "/6175ZIZ/boxes/com1.toml") << profile.toStdString();
        }
        QVERIFY(test::writeFile("Settings.txt", "1\r\n"));
        QCOMPARE(startup::runStartSequence(face_, *serial_, boxes_), startup::StartEnd());
        QCOMPARE(wire(), sent);
        QCOMPARE(face_.events.last(), "repaint " + (!sent.isEmpty()    ? "10000.0"
                                                    : record.isEmpty() ? "00000.0"
                                                                       : record));
        const QString shown = QString::fromStdString(face_.logic->caption());
        QVERIFY2(caption.isEmpty() ? shown.isEmpty() : shown.startsWith(caption),
                 qPrintable(shown));
    }

    // No port stored: the dialog as designed, preset to the control's port;
    // the port confirmed there is stored and used.
    void noStoredPortAsksFirst_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("zero") << QByteArray("0\r\n");
        QTest::newRow("letters") << QByteArray("ab");
    }
    void noStoredPortAsksFirst() {
        QFETCH(QByteArray, stored);
        if (!stored.isEmpty()) QVERIFY(test::writeFile("Settings.txt", stored));
        face_.answers = {{"1"}};
        QCOMPARE(startup::runStartSequence(face_, *serial_, boxes_), startup::StartEnd());
        QCOMPARE(face_.dialogs.size(), size_t(1));
        QCOMPARE(face_.dialogs[0].prompt, std::string());
        QCOMPARE(face_.dialogs[0].exitCaption, std::string());
        QCOMPARE(face_.dialogs[0].preset, std::string("1"));
        QCOMPARE(face_.events.indexOf("dialog"), face_.events.indexOf("panel made") + 1);
        QCOMPARE(test::fileBytes("Settings.txt"), QByteArray("1\r\n"));
        QCOMPARE(wire(), QByteArray("10000\r"));
    }

    // A stored port that cannot be used: the dialog names the number read
    // from the file before any panel shows. Its exit button ends start-up
    // (status 0, nothing sent); its close box goes on to the panel.
    void refusedStoredPort_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<std::string>("named");
        QTest::addColumn<int>("end");
        QTest::addColumn<bool>("panelShown");
        using E = startup::DialogEnd;
        QTest::newRow("absent 7, exit")
            << QByteArray("7\r\n") << std::string("7") << int(E::ExitProgram) << false;
        QTest::newRow("negative -4, exit")
            << QByteArray("-4") << std::string("-4") << int(E::ExitProgram) << false;
        QTest::newRow("absent 7, close box")
            << QByteArray("7\r\n") << std::string("7") << int(E::Closed) << true;
    }
    void refusedStoredPort() {
        QFETCH(QByteArray, stored);
        QFETCH(std::string, named);
        QFETCH(int, end);
        QFETCH(bool, panelShown);
        QVERIFY(test::writeFile("Settings.txt", stored));
        face_.answers = {{{}, startup::DialogEnd(end)}};
        const startup::StartEnd ended = startup::runStartSequence(face_, *serial_, boxes_);
        QCOMPARE(ended, panelShown ? startup::StartEnd() : startup::StartEnd(0));
        QCOMPARE(face_.dialogs.size(), size_t(1));
        QCOMPARE(face_.dialogs[0].prompt,
                 "Invalid comm. port (" + named + ") set.\r\rPlease select a valid comm. port");
        QCOMPARE(face_.events.contains("panel shown"), panelShown);
        QCOMPARE(face_.panelMade, panelShown);
        QCOMPARE(wire(), QByteArray());  // port 7 is absent: nothing reaches port 1
        QVERIFY(!serial_->isOpen());
        QCOMPARE(test::fileBytes("Settings.txt"), stored);
    }

    void unusableSettingsFileEndsWithAMessage() {
        QVERIFY(QDir().mkdir("Settings.txt"));
        QCOMPARE(startup::runStartSequence(face_, *serial_, boxes_), startup::StartEnd(1));
        QCOMPARE(face_.events, kStartScreen);
        const QStringList shown = boxes_.shown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(!boxes_.calls[0].question);
        const QString expectedStart = "6175ZIZ|The settings file cannot be opened or created.\r\r" +
                                      scratch_->path() + "/Settings.txt: ";
        QVERIFY2(shown[0].startsWith(expectedStart) && shown[0].size() > expectedStart.size(),
                 qPrintable(shown[0]));
        QCOMPARE(wire(), QByteArray());
    }

    // The confirm steps: what each box text does to the control, the file
    // and the wire, and the one message a failure shows.
    void confirmSteps_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QByteArray old("5\r\n");
        QTest::newRow("working port")
            << std::string("1") << true << QByteArray("1\r\n") << QString();
        QTest::newRow("blank then digit")
            << std::string(" 1") << true << QByteArray("1\r\n") << QString();
        QTest::newRow("rounded to even")
            << std::string("0.5") << false << old << "Serial communication error :\r\r";
        QTest::newRow("letters") << std::string("COM") << false << old
                                 << "Serial communication error :\r\r";
        QTest::newRow("beyond 16 bits")
            << std::string("40000") << false << old
            << "Serial communication error :\r\rOverflow\r\rClick OK to continue.";
        QTest::newRow("missing port") << std::string("7") << false << QByteArray("7\r\n")
                                      << "Serial communication error :\r\r";
    }
    void confirmSteps() {
        QFETCH(std::string, text);
        QFETCH(bool, taken);
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        QVERIFY(test::writeFile("Settings.txt", "5\r\n"));
        QCOMPARE(startup::applyPort(*serial_, startup::portNumber(text), boxes_), taken);
        QCOMPARE(test::fileBytes("Settings.txt"), file);
        QVERIFY(!serial_->isOpen());
        QCOMPARE(wire(), QByteArray());  // a test opens and closes, sends nothing
        if (message.isEmpty()) {
            QVERIFY(boxes_.calls.empty());
        } else {
            QCOMPARE(boxes_.calls.size(), size_t(1));
            QCOMPARE(boxes_.calls[0].title, QStringLiteral("Serial Communication Error"));
            QVERIFY2(boxes_.calls[0].text.startsWith(message) &&
                         boxes_.calls[0].text.endsWith("\r\rClick OK to continue."),
                     qPrintable(boxes_.calls[0].text));
        }
    }

    void menuCommandReadsCloseAndEndsOnlyByItsButton() {
        QVERIFY(serial_->setPort(4).ok());
        face_.answers = {{{}, startup::DialogEnd::Closed}, {{}, startup::DialogEnd::ExitProgram}};
        QVERIFY(!startup::runComPortCommand(face_, *serial_, boxes_));
        QVERIFY(startup::runComPortCommand(face_, *serial_, boxes_));
        for (const startup::PortDialogText &shown : face_.dialogs) {
            QCOMPARE(shown.exitCaption, std::string("&Close"));
            QCOMPARE(shown.preset, std::string("4"));
        }
        QCOMPARE(serial_->port(), 4);
    }

    void listIsOneToTwenty() {
        std::vector<std::string> expected;
        for (int i = 1; i <= 20; ++i) expected.push_back(std::to_string(i));
        QCOMPARE(startup::listedPorts(), expected);
    }
};

QTEST_MAIN(tst_StartSequence)
#include "tst_start_sequence.moc"
