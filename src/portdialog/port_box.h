#pragma once
// The port dialog's box: an editable drop-down of the numbers "1".."20",
// each with what it leads to on this machine (startup::PortListing). The
// list is read afresh as it drops down and whenever a device comes or goes
// (a watch on /dev and /dev/serial); the box's text stays the number the
// operator typed or chose, and its tooltip says where that number leads.

#include <QComboBox>
#include <QFileSystemWatcher>
#include <QTimer>

namespace zz::startup {
class PortListing;
}

namespace zz::portdialog {

class PortBox : public QComboBox {
    Q_OBJECT

public:
    // `ports` outlives the box.
    PortBox(QWidget *parent, startup::PortListing &ports);
    ~PortBox() override;

    // The text, with the entry of the number it names as the current one.
    void preset(const QString &text);

    void showPopup() override;

private:
    void showEntries();
    void watchFolders();
    void updateTip();

    startup::PortListing &ports_;
    QFileSystemWatcher watcher_;
    QTimer settle_;  // one reading for a burst of changes (node, then links)
};

}  // namespace zz::portdialog
