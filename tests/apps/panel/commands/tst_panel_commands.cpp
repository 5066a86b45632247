// The Qt face of the start-up on real windows: the panel's menu commands
// ("COM Port" opens the port dialog with "&Close", whose exit button still
// ends the program; "About" opens the start screen with its OK button), and
// the start screen's pause.

#include "panel/panel_window.h"
#include "portdialog/port_dialog.h"
#include "qt_start_ui.h"
#include "start_screen.h"
#include "ui/qt_message_boxes.h"

#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <functional>

using namespace zz;

namespace {

// Runs `check` on the modal window once it is up, then lets it close.
void whenModal(std::function<void(QWidget *)> check) {
    QTimer::singleShot(0, [check] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        check(modal);
    });
}

}  // namespace

class tst_PanelCommands : public QObject {
    Q_OBJECT

    link::SerialControl serial_;
    ui::QtMessageBoxes boxes_;

private slots:
    void comPortDialogReadsCloseAndReturnsOnCloseBox() {
        panel::QtStartUi face(serial_, boxes_);
        face.createPanel();
        panel::PanelWindow &panel = *face.panel();
        QVERIFY(panel.serialControl().setPort(4).ok());
        panel.show();
        for (int opening = 0; opening < 2; ++opening) {
            QString exitCaption, preset;
            bool noOwner = false;
            whenModal([&](QWidget *modal) {
                auto *dialog = qobject_cast<portdialog::PortDialog *>(modal);
                QVERIFY(dialog);
                exitCaption = dialog->exitButton()->text();
                preset = dialog->portBox()->currentText();
                noOwner = dialog->parentWidget() == nullptr;
                dialog->close();  // the title-bar close box
            });
            panel.findChild<QAction *>("COMMenu")->trigger();
            QCOMPARE(exitCaption, QStringLiteral("&Close"));
            QCOMPARE(preset, QStringLiteral("4"));
            QVERIFY(noOwner);
            QVERIFY(panel.isVisible());
            QCOMPARE(panel.serialControl().port(), 4);
        }
    }

    void comPortCloseButtonEndsTheProgram() {
        panel::QtStartUi face(serial_, boxes_);
        face.createPanel();
        panel::PanelWindow &panel = *face.panel();
        panel.show();
        whenModal([](QWidget *modal) {
            auto *dialog = qobject_cast<portdialog::PortDialog *>(modal);
            QVERIFY(dialog);
            QTest::mouseClick(dialog->exitButton(), Qt::LeftButton);
        });
        panel.findChild<QAction *>("COMMenu")->trigger();
        QVERIFY(!panel.isVisible());
        QVERIFY(!panel.serialControl().isOpen());
    }

    void aboutShowsTheStartScreenWithOk() {
        panel::QtStartUi face(serial_, boxes_);
        face.createPanel();
        panel::PanelWindow &panel = *face.panel();
        panel.show();
        bool okVisible = false, appModal = false;
        QString version;
        whenModal([&](QWidget *modal) {
            auto *about = qobject_cast<panel::StartScreen *>(modal);
            QVERIFY(about);
            okVisible = about->okButton()->isVisible();
            // Application-modal: the panel takes no input until OK.
            appModal = about->windowModality() == Qt::ApplicationModal && about->isVisible();
            version = about->versionLabel()->text();
            QTest::mouseClick(about->okButton(), Qt::LeftButton);
        });
        panel.findChild<QAction *>("AboMenu")->trigger();
        QVERIFY(okVisible);
        QVERIFY(appModal);
        QCOMPARE(version, QStringLiteral(" V1.20 : 24/07/2006"));
        QVERIFY(panel.isVisible());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The pause lasts strictly longer than asked (a lower bound only), and
    // events other than the operator's still run during it, so windows repaint.
    void pauseEndsAfterItsTimeAndKeepsEventsRunning() {
        int timerTicks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ++timerTicks; });
        tick.start(10);
        QElapsedTimer clock;
        clock.start();
        panel::pauseFor(0.3);
        QVERIFY2(clock.nsecsElapsed() > 300'000'000,
                 qPrintable(QString::number(clock.nsecsElapsed())));
        QVERIFY(timerTicks > 0);
    }
};

QTEST_MAIN(tst_PanelCommands)
#include "tst_panel_commands.moc"
