#pragma once
// The start screen: the frameless title screen, shown for two seconds at start and
// again, with its OK button, as the About box.

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

namespace zz::panel {

class StartScreen : public QDialog {
    Q_OBJECT

public:
    // The creation steps: centred on the screen, the version line and the
    // blue title colours set. The OK button starts hidden.
    StartScreen();

    QPushButton *okButton() const { return okButton_; }
    QLabel *versionLabel() const { return versionLabel_; }

    // The About box: the OK button visible, shown modally with no owner until OK.
    void showAbout();

    // Where the window's top-left corner goes on a screen of that geometry:
    // centred, overhanging a screen smaller than the window equally.
    static QPoint centredOrigin(const QRect &screen);

private:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    QPixmap background_;
    QPushButton *okButton_ = nullptr;
    QLabel *versionLabel_ = nullptr;
};

}  // namespace zz::panel
