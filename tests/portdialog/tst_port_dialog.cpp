// The port dialog on real widgets: its look, what it shows as it opens, and
// what confirm, exit and the close box leave behind in the serial control,
// "Settings.txt" (in a scratch current directory) and on a real
// pseudo-terminal; the ports present from a fake sysfs tree, an adapter
// plugged in while the list is down.

#include "portdialog/port_dialog.h"

#include "link/serial_control.h"
#include "rig/fake_serial_tree.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "startup/port_choice.h"
#include "startup/port_listing.h"
#include "support/bytes.h"
#include "support/fonts.h"
#include "support/scratch_directory.h"
#include "support/scripted_boxes.h"
#include "support/watched_backend.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <optional>

namespace portdialog = zz::portdialog;

using zz::portdialog::PortDialog;
using zz::rig::FakeSerialTree;
using zz::test::fileBytes;
using Outcome = zz::portdialog::PortDialog::Outcome;

namespace {

const QString kInvalidPortBox =
    QStringLiteral("Serial communication error :\r\rInvalid port number\r\rClick OK to continue.");

const zz::rig::FakeUsbPort kFtdi{
    "ttyUSB0",  "1-2",  "0403",
    "6001",     "FTDI", "FT232R USB UART",
    "A6008isP", 0,      "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"};
const zz::rig::FakeUsbPort kCh340{
    "ttyUSB1", "1-3", "1a86", "7523", "", "", "", 0, "usb-1a86_USB2.0-Ser_-if00-port0"};

// An entry of the list: the number, then what it leads to.
QString entry(int number, const QString &leadsTo) {
    return QString::number(number) + QStringLiteral("\u00a0\u00a0\u00a0") + leadsTo;
}

// Root playing a user outside the device's group: the real ids are
// nobody's, which the access checks go by; the effective ones stay root's,
// so that they can be put back.
class AsNobody {
public:
    AsNobody() : groups_(std::size_t(std::max(::getgroups(0, nullptr), 0))) {
        const passwd *nobody = ::getpwnam("nobody");
        ok_ = nobody && ::getgroups(int(groups_.size()), groups_.data()) >= 0 &&
              ::setgroups(0, nullptr) == 0 && ::setresgid(nobody->pw_gid, 0, 0) == 0 &&
              ::setresuid(nobody->pw_uid, 0, 0) == 0;
    }
    ~AsNobody() {
        (void)::setresuid(0, 0, 0);
        (void)::setresgid(0, 0, 0);
        (void)::setgroups(groups_.size(), groups_.data());
    }
    bool ok() const { return ok_; }

private:
    std::vector<gid_t> groups_;
    bool ok_ = false;
};

// Shows the dialog modally and runs `whileShown` inside; a dialog still open
// afterwards is closed with the close box so that a failing test ends.
Outcome runModal(portdialog::PortDialog &dialog, const std::function<void()> &whileShown,
                 bool *stillOpen = nullptr) {
    QTimer::singleShot(0, &dialog, [&] {
        whileShown();
        if (stillOpen) *stillOpen = dialog.isVisible();
        if (dialog.isVisible()) dialog.close();
    });
    return dialog.showModal();
}

}  // namespace

class tst_PortDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<zz::test::ScratchCurrentDirectory> scratch_;
    std::unique_ptr<FakeSerialTree> tree_;  // no ports unless a test adds them
    std::unique_ptr<zz::rig::PortMapSandbox> sandbox_;
    std::unique_ptr<zz::test::ScriptedBoxes> boxes_;
    std::shared_ptr<zz::test::BackendWatch> backend_;
    std::unique_ptr<zz::link::SerialControl> serial_;

    std::string byId(const zz::rig::FakeUsbPort &port) const {
        return tree_->dev() + "/serial/by-id/" + port.byId;
    }

    // A port that names a missing device on this machine.
    void mapMissing(int port) {
        QVERIFY(sandbox_->map(port, scratch_->path().toStdString() + "/no-such-device"));
    }

    // The first box shown.
    const zz::test::BoxCall &onlyBox() const { return boxes_->calls.front(); }

    // What the start-up gives the dialog: the port applied to the control,
    // stored and tested, with the boxes answering.
    portdialog::PortDialog::Acceptor applying() {
        return [this](const std::string &boxText) {
            return zz::startup::applyPort(*serial_, zz::startup::portNumber(boxText), *boxes_);
        };
    }

    // The same with the ports the dialog lists: a device chosen is mapped first.
    portdialog::PortDialog::Acceptor choosing(zz::startup::PortListing &ports) {
        return [this, &ports](const std::string &boxText) {
            return zz::startup::confirmChoice(*serial_, ports, boxText, *boxes_);
        };
    }

private slots:
    void init() {
        scratch_ = std::make_unique<zz::test::ScratchCurrentDirectory>();
        QVERIFY(scratch_->ok());
        tree_ = std::make_unique<FakeSerialTree>();
        QVERIFY(tree_->ok());
        sandbox_ = std::make_unique<zz::rig::PortMapSandbox>();
        QVERIFY(sandbox_->ok());
        boxes_ = std::make_unique<zz::test::ScriptedBoxes>();
        backend_ = std::make_shared<zz::test::BackendWatch>();
        serial_ = std::make_unique<zz::link::SerialControl>(
            std::make_unique<zz::test::WatchedBackend>(backend_));
    }

    void cleanup() {
        serial_.reset();
        sandbox_.reset();
        tree_.reset();
        scratch_.reset();
    }

    void window() {
        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Set Communication Port"));
        QCOMPARE(dialog.minimumSize(), QSize(388, 154));
        QCOMPARE(dialog.maximumSize(), QSize(388, 154));
        const Qt::WindowFlags flags = dialog.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!dialog.windowIcon().isNull());
        QVERIFY(dialog.parentWidget() == nullptr);

        const QImage shot = dialog.grab().toImage();
        const QImage picture(QStringLiteral(":/pictures/dialog_background.jpg"));
        for (const QPoint p : {QPoint(2, 150), QPoint(385, 2), QPoint(380, 140), QPoint(150, 100)})
            QCOMPARE(shot.pixelColor(p), picture.pixelColor(p));
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("family");
        QTest::addColumn<qreal>("pointSize");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("colour");  // invalid: the default

        QTest::newRow("CommLab") << "CommLab" << QRect(16, 4, 353, 66)
                                 << "Please select a COM port :"
                                 << "Arial" << 9.75 << false << QColor();
        QTest::newRow("Label1") << "Label1" << QRect(122, 58, 70, 31) << "COM"
                                << "Arial" << 20.25 << true << QColor(0, 0, 128);
        QTest::newRow("COMCombo") << "COMCombo" << QRect(191, 54, 70, 40) << "1"
                                  << "Arial" << 20.25 << true << QColor(192, 0, 0);
        QTest::newRow("ExitBut") << "ExitBut" << QRect(12, 115, 110, 28) << "&Exit"
                                 << "MS Sans Serif" << 8.25 << false << QColor();
        QTest::newRow("CommBut") << "CommBut" << QRect(264, 116, 110, 28) << "&OK"
                                 << "Arial" << 9.75 << false << QColor();
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(QString, family);
        QFETCH(qreal, pointSize);
        QFETCH(bool, bold);
        QFETCH(QColor, colour);

        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        auto *w = dialog.findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(w->geometry(), geometry);
        QString shownText;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            shownText = label->text();
            QVERIFY2(!label->autoFillBackground(), "the picture must show through");
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        } else if (auto *button = qobject_cast<QPushButton *>(w)) {
            shownText = button->text();
            QVERIFY2(!button->autoDefault() && !button->isDefault(), "Enter must press nothing");
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            shownText = combo->currentText();
            QVERIFY(combo->isEditable());
            QCOMPARE(combo->lineEdit()->palette().color(QPalette::Text), colour);
        }
        QCOMPARE(shownText, text);
        zz::test::expectFont(*w, family, pointSize, bold);
        if (QTest::currentTestFailed()) return;
        if (colour.isValid() && qobject_cast<QLabel *>(w))
            QCOMPARE(w->palette().color(QPalette::WindowText), colour);
    }

    void centredOnTheScreen() {
        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect screen = dialog.screen()->availableGeometry();
        const QPoint off = dialog.frameGeometry().center() - screen.center();
        QVERIFY2(off.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("off by %1,%2").arg(off.x()).arg(off.y())));
    }

    void listIsOneToTwentyAtEveryOpening() {
        QStringList expected;
        for (int i = 1; i <= 20; ++i) expected << QString::number(i);
        for (int opening = 1; opening <= 2; ++opening) {
            portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
            QStringList items;
            for (int i = 0; i < dialog.portBox()->count(); ++i)
                items << dialog.portBox()->itemText(i);
            QCOMPARE(items, expected);
            // Typing and Enter in the box must not add to the list.
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            dialog.portBox()->setFocus();
            dialog.portBox()->setEditText(QStringLiteral("33"));
            QTest::keyClick(dialog.portBox()->lineEdit(), Qt::Key_Return);
            QCOMPARE(dialog.portBox()->count(), 20);
            QVERIFY2(dialog.isVisible(), "Enter has no meaning of its own");
            QVERIFY(boxes_->calls.empty());
        }
        QCOMPARE(serial_->port(), 1);
        QCOMPARE(fileBytes("Settings.txt"), QByteArray("<missing>"));
    }

    void presetIsTheCurrentPort_data() {
        QTest::addColumn<int>("port");
        QTest::newRow("as created") << 0;
        QTest::newRow("4") << 4;
        QTest::newRow("20") << 20;
        QTest::newRow("255, not in the list") << 255;
    }

    void presetIsTheCurrentPort() {
        QFETCH(int, port);
        if (port) QVERIFY(serial_->setPort(port).ok());
        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        QCOMPARE(dialog.portBox()->currentText(), QString::number(port ? port : 1));
    }

    void focusAndTabOrder() {
        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.exitButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.okButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(dialog.portBox()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.exitButton());
    }

    void refusedNumbers_data() {
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << kInvalidPortBox;
        QTest::newRow("letters") << "COM3" << kInvalidPortBox;
        QTest::newRow("zero") << "0" << kInvalidPortBox;
        QTest::newRow("0.4 rounds to 0") << "0.4" << kInvalidPortBox;
        QTest::newRow("negative") << "-3" << kInvalidPortBox;
        QTest::newRow("256") << "256" << kInvalidPortBox;
        QTest::newRow("beyond 16 bits")
            << "32768"
            << "Serial communication error :\r\rOverflow\r\rClick OK to continue.";
        QTest::newRow("beyond a double")
            << "1E999"
            << "Serial communication error :\r\rOverflow\r\rClick OK to continue.";
    }

    // A refused number: the box, nothing set or stored, the dialog stays as typed.
    void refusedNumbers() {
        QFETCH(QString, boxText);
        QFETCH(QString, message);
        QVERIFY(zz::test::writeFile("Settings.txt", "9\r\n"));
        QVERIFY(serial_->setPort(5).ok());

        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        bool stillOpen = false;
        const Outcome outcome = runModal(
            dialog,
            [&] {
                dialog.portBox()->setEditText(boxText);
                dialog.okButton()->click();
                QCOMPARE(dialog.portBox()->currentText(), boxText);
            },
            &stillOpen);

        QVERIFY(stillOpen);
        QCOMPARE(outcome, Outcome::Closed);
        QCOMPARE(boxes_->calls.size(), std::size_t(1));
        QVERIFY(!onlyBox().question);
        QCOMPARE(onlyBox().title, QStringLiteral("Serial Communication Error"));
        QCOMPARE(onlyBox().text, message);
        QCOMPARE(fileBytes("Settings.txt"), QByteArray("9\r\n"));
        QCOMPARE(serial_->port(), 5);
        QCOMPARE(backend_->opens, 0);
    }

    // A port the control takes but whose device is missing: set and stored
    // already, the box, the port closed, the dialog stays.
    void missingPort() {
        mapMissing(7);
        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        bool stillOpen = false;
        runModal(
            dialog,
            [&] {
                dialog.portBox()->setEditText(QStringLiteral("7"));
                dialog.okButton()->click();
            },
            &stillOpen);

        QVERIFY(stillOpen);
        QCOMPARE(serial_->port(), 7);
        QCOMPARE(fileBytes("Settings.txt"), QByteArray("7\r\n"));
        QCOMPARE(boxes_->calls.size(), std::size_t(1));
        QVERIFY(!onlyBox().question);
        const QString text = onlyBox().text;
        QVERIFY2(text.startsWith("Serial communication error :\r\rCOM7 ") &&
                     text.endsWith("\r\rClick OK to continue."),
                 qPrintable(text));
        QVERIFY(!serial_->isOpen());
        QCOMPARE(backend_->opens, 1);
    }

    // Nothing but a regular file is replaced; a link to a device node leads to
    // a node of the test's own, never to one under /dev.
    void unwritableSettingsFile_data() {
        QTest::addColumn<bool>("deviceLink");
        QTest::newRow("directory") << false;
        QTest::newRow("link to a device node") << true;
    }
    void unwritableSettingsFile() {
        QFETCH(bool, deviceLink);
        zz::rig::PtyPair pty;
        QVERIFY(pty.ok());
        QVERIFY(sandbox_->map(3, pty.slavePath()));
        if (!deviceLink)
            QVERIFY(QDir().mkdir("Settings.txt"));
        else if (::mknod("node", S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("no device nodes can be made here");
        if (deviceLink) QVERIFY(QFile::link("node", "Settings.txt"));

        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        bool stillOpen = false;
        runModal(
            dialog,
            [&] {
                dialog.portBox()->setEditText(QStringLiteral("3"));
                dialog.okButton()->click();
            },
            &stillOpen);

        QVERIFY(stillOpen);
        QCOMPARE(boxes_->calls.size(), std::size_t(1));
        QVERIFY(!onlyBox().question);
        const QString text = onlyBox().text;
        QVERIFY2(text.startsWith("Serial communication error :\r\r" + scratch_->path() +
                                 "/Settings.txt: not a regular file") &&
                     text.endsWith("\r\rClick OK to continue."),
                 qPrintable(text));
        QCOMPARE(backend_->opens, 0);  // not tested before it is stored
        struct stat node {};
        QVERIFY(deviceLink ? ::stat("Settings.txt", &node) == 0 && S_ISCHR(node.st_mode)
                           : QFileInfo("Settings.txt").isDir());
    }

    void workingPort_data() {
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<int>("port");
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("20") << "20" << 20;
        QTest::newRow("blanks ignored") << " 0 3" << 3;
        QTest::newRow("trailing letters") << "3abc" << 3;
        QTest::newRow("3.7 is port 4") << "3.7" << 4;
        QTest::newRow("halves to even") << "2.5" << 2;
        QTest::newRow("as its 15-digit text reads") << "3.4999999999999996" << 4;
        QTest::newRow("hexadecimal") << "&H1F" << 31;
        QTest::newRow("beyond the list") << "200" << 200;
    }

    // A working port: opened and closed once, nothing sent, stored, dialog gone.
    void workingPort() {
        QFETCH(QString, boxText);
        QFETCH(int, port);
        zz::rig::PtyPair pty;
        QVERIFY(pty.ok());
        QVERIFY(sandbox_->map(port, pty.slavePath()));

        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        bool stillOpen = true;
        const Outcome outcome = runModal(
            dialog,
            [&] {
                dialog.portBox()->setEditText(boxText);
                dialog.okButton()->click();
            },
            &stillOpen);

        QVERIFY(!stillOpen);
        QCOMPARE(outcome, Outcome::Confirmed);
        QVERIFY2(boxes_->calls.empty(), qPrintable(boxes_->shown().value(0)));
        QCOMPARE(serial_->port(), port);
        QCOMPARE(fileBytes("Settings.txt"), QByteArray::number(port) + "\r\n");
        QCOMPARE(backend_->opens, 1);
        QCOMPARE(backend_->closes, 1);
        QCOMPARE(backend_->writes, 0);
        QVERIFY(!serial_->isOpen());
        QCOMPARE(QByteArray::fromStdString(pty.readAll(std::chrono::milliseconds(300))),
                 QByteArray());
    }

    void exitEndsTheProgram_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("portOpen");
        QTest::newRow("&Exit") << "&Exit" << false;
        QTest::newRow("&Close") << "&Close" << false;
        QTest::newRow("&Close, port left open") << "&Close" << true;
    }

    void exitEndsTheProgram() {
        QFETCH(QString, caption);
        QFETCH(bool, portOpen);
        zz::rig::PtyPair pty;
        QVERIFY(pty.ok());
        QVERIFY(sandbox_->map(2, pty.slavePath()));
        QVERIFY(serial_->setPort(2).ok());
        if (portOpen) QVERIFY(serial_->open().ok());

        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        dialog.exitButton()->setText(caption);
        bool stillOpen = true;
        const Outcome outcome = runModal(
            dialog,
            [&] {
                dialog.portBox()->setEditText(QStringLiteral("9"));
                dialog.exitButton()->click();
            },
            &stillOpen);

        QVERIFY(!stillOpen);
        QCOMPARE(outcome, Outcome::ExitProgram);
        // The dialog only chooses: the port stays as it was until the
        // program ends, whose serial control closes it then.
        QCOMPARE(serial_->isOpen(), portOpen);
        QCOMPARE(serial_->port(), 2);
        QCOMPARE(fileBytes("Settings.txt"), QByteArray("<missing>"));
        QVERIFY(boxes_->calls.empty());
    }

    void closeBoxOnlyCloses() {
        QVERIFY(serial_->setPort(4).ok());
        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        dialog.exitButton()->setText(QStringLiteral("&Close"));
        bool stillOpen = true;
        const Outcome outcome = runModal(
            dialog,
            [&] {
                dialog.portBox()->setEditText(QStringLiteral("9"));
                QVERIFY(dialog.close());
            },
            &stillOpen);

        QVERIFY(!stillOpen);
        QCOMPARE(outcome, Outcome::Closed);
        QCOMPARE(serial_->port(), 4);
        QCOMPARE(fileBytes("Settings.txt"), QByteArray("<missing>"));
        QCOMPARE(backend_->opens, 0);
    }

    // Neither Escape nor Enter does anything, wherever the focus is.
    void keysHaveNoMeaningOfTheirOwn_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("inBox");
        QTest::newRow("Escape on Exit") << int(Qt::Key_Escape) << false;
        QTest::newRow("Escape in the box") << int(Qt::Key_Escape) << true;
        QTest::newRow("Enter on Exit") << int(Qt::Key_Return) << false;
        QTest::newRow("Enter in the box") << int(Qt::Key_Return) << true;
    }
    void keysHaveNoMeaningOfTheirOwn() {
        QFETCH(int, key);
        QFETCH(bool, inBox);
        QVERIFY(serial_->setPort(4).ok());
        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        bool stillOpen = false;
        const Outcome outcome = runModal(
            dialog,
            [&] {
                QVERIFY(QTest::qWaitForWindowActive(&dialog));
                if (inBox) dialog.portBox()->setFocus();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            },
            &stillOpen);

        QVERIFY(stillOpen);
        QCOMPARE(outcome, Outcome::Closed);  // closed by the test afterwards
        QCOMPARE(dialog.portBox()->count(), 20);
        QCOMPARE(fileBytes("Settings.txt"), QByteArray("<missing>"));
        QCOMPARE(backend_->opens, 0);
        QVERIFY(boxes_->calls.empty());
    }

    void portTip_data() {
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QString>("tipStart");
        QTest::newRow("mapped") << "3"
                                << "COM3 \u2192 /dev/";
        QTest::newRow("mapped, typed with blanks") << " 3 "
                                                   << "COM3 \u2192 /dev/";
        QTest::newRow("missing device") << "7"
                                        << "COM7 \u2192 not present";
        QTest::newRow("empty") << ""
                               << "not a port number";
        QTest::newRow("letters") << "abc"
                                 << "not a port number";
        QTest::newRow("zero") << "0"
                              << "not a port number";
        QTest::newRow("256") << "256"
                             << "not a port number";
        QTest::newRow("beyond 16 bits") << "99999"
                                        << "not a port number";
    }

    void portTip() {
        QFETCH(QString, boxText);
        QFETCH(QString, tipStart);
        zz::rig::PtyPair pty;
        QVERIFY(pty.ok());
        QVERIFY(sandbox_->map(3, pty.slavePath()));
        mapMissing(7);

        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        dialog.portBox()->setEditText(QStringLiteral("12"));
        dialog.portBox()->setEditText(boxText);
        const QString tip = dialog.portBox()->toolTip();
        QVERIFY2(tip.startsWith(tipStart), qPrintable(tip));
        if (boxText.trimmed() == "3")
            QCOMPARE(tip.section(' ', 2, 2), QString::fromStdString(pty.slavePath()));
    }

    void portTipFollowsTheList() {
        mapMissing(5);
        portdialog::PortDialog dialog(std::to_string(serial_->port()), applying());
        dialog.portBox()->setCurrentIndex(4);
        QCOMPARE(dialog.portBox()->currentText(), QStringLiteral("5"));
        QCOMPARE(dialog.portBox()->toolTip(), QStringLiteral("COM5 \u2192 not present"));
    }

    // The adapters present beside their numbers: the FTDI mapped as 3, the
    // CH340 that no number leads to under the first free number (1 leads to
    // a missing device). Choosing it from the list puts 2 in the box; OK maps
    // 2 to its stable name, then opens and closes it and sends nothing.
    void presentAdaptersAndChoosingOne() {
        tree_->addUsb(kFtdi);
        tree_->addUsb(kCh340);
        zz::rig::PtyPair pty;
        QVERIFY(pty.ok());
        FakeSerialTree::symlink(pty.slavePath(), tree_->dev() + "/ttyUSB1");
        QVERIFY(sandbox_->map(3, byId(kFtdi)));
        mapMissing(1);

        zz::startup::PortListing ports;
        portdialog::PortDialog dialog("3", ports, choosing(ports));
        QComboBox *box = dialog.portBox();
        const QStringList shown = {"1", entry(2, "USB-SERIAL CH340 \u2014 ttyUSB1"),
                                   entry(3, "FT232R USB UART \u2014 ttyUSB0"), "4"};
        for (int i = 0; i < shown.size(); ++i) QCOMPARE(box->itemText(i), shown[i]);
        QCOMPARE(box->currentText(), QStringLiteral("3"));
        QVERIFY2(box->toolTip().contains("FT232R USB UART"), qPrintable(box->toolTip()));
        bool stillOpen = true;
        runModal(
            dialog,
            [&] {
                box->showPopup();
                QAbstractItemView *list = box->view();
                QVERIFY(list->isVisible());
                QVERIFY(list->width() > list->fontMetrics().horizontalAdvance(shown[2]));
                const QPoint at = list->visualRect(list->model()->index(1, 0)).center();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QCOMPARE(box->currentText(), QStringLiteral("2"));
                QCOMPARE(QFile::symLinkTarget(QString::fromStdString(sandbox_->mapDirectory()) +
                                              "/com2"),
                         QString());  // not before OK
                dialog.okButton()->click();
            },
            &stillOpen);

        QVERIFY2(boxes_->calls.empty(), qPrintable(boxes_->shown().value(0)));
        QVERIFY(!stillOpen);
        char target[4096] = {};
        const std::string com2 = sandbox_->mapDirectory() + "/com2";
        QVERIFY(::readlink(com2.c_str(), target, sizeof target - 1) > 0);
        QCOMPARE(std::string(target), byId(kCh340));
        QCOMPARE(fileBytes("Settings.txt"), QByteArray("2\r\n"));
        QCOMPARE(backend_->opens, 1);
        QCOMPARE(backend_->writes, 0);
        QCOMPARE(QByteArray::fromStdString(pty.readAll(std::chrono::milliseconds(300))),
                 QByteArray());
    }

    // One plugged in before the list drops is there as it drops, before any
    // event; one plugged in and out while it is down is followed, the list
    // staying down and the box's text as it was.
    void followsAdaptersAsTheListDrops() {
        zz::startup::PortListing ports;
        portdialog::PortDialog dialog("1", ports, choosing(ports));
        QComboBox *box = dialog.portBox();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(box->itemText(0), QStringLiteral("1"));
        tree_->addUsb(kCh340);
        box->showPopup();
        QVERIFY(box->view()->isVisible());
        QCOMPARE(box->itemText(0), entry(1, "USB-SERIAL CH340 \u2014 ttyUSB1"));
        tree_->addUsb(kFtdi);
        QTRY_COMPARE(box->itemText(1), entry(2, "FT232R USB UART \u2014 ttyUSB0"));
        tree_->remove(kFtdi.tty);
        QTRY_COMPARE(box->itemText(1), QStringLiteral("2"));
        QVERIFY(box->view()->isVisible());
        QCOMPARE(box->currentText(), QStringLiteral("1"));
    }

    // A port this user may not open: the tooltip says why and what to do.
    void tipSaysWhyAPortCannotBeOpened() {
        tree_->addUsb(kFtdi);
        QVERIFY(sandbox_->map(1, byId(kFtdi)));
        const std::string device = tree_->dev() + "/ttyUSB0";
        std::optional<AsNobody> outsider;
        QString reason = QString::fromStdString("may open " + device);
        if (::geteuid() == 0) {
            const group *dialout = ::getgrnam("dialout");
            // The tree open to all, the device to the group only.
            QVERIFY(dialout && ::chown(device.c_str(), 0, dialout->gr_gid) == 0 &&
                    ::chmod(tree_->root().c_str(), 0755) == 0);
            reason = QString::fromStdString("only the group dialout may open " + device +
                                            ": sudo adduser $USER dialout, then log in again");
            outsider.emplace();
            QVERIFY(outsider->ok());
        } else {
            QVERIFY(::chmod(device.c_str(), 0) == 0);
        }
        zz::startup::PortListing ports;  // read as that user
        portdialog::PortDialog dialog("1", ports, choosing(ports));
        outsider.reset();
        const QString tip = dialog.portBox()->toolTip();
        QVERIFY2(tip.startsWith("COM1 \u2192 ") && tip.contains(reason), qPrintable(tip));
    }
};

QTEST_MAIN(tst_PortDialog)
#include "tst_port_dialog.moc"
