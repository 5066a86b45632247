#include "portdialog/port_box.h"

#include "startup/port_choice.h"
#include "startup/port_listing.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace zz::portdialog {

namespace {

// Long enough for udev to add the stable names after the node.
constexpr int kSettleMs = 50;

}  // namespace

PortBox::PortBox(QWidget *parent, startup::PortListing &ports) : QComboBox(parent), ports_(ports) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);  // Enter must not grow the list
    setCompleter(nullptr);                 // a typed "3" stays "3", not an entry's whole text
    for (const startup::PortEntry &entry : ports_.entries())
        addItem(QString::fromStdString(entry.text));

    // A chosen entry puts its number in the box, as typing it would.
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (const auto *entry = ports_.entry(index + 1))
            setEditText(QString::number(entry->number));
    });
    connect(this, &QComboBox::editTextChanged, this, &PortBox::updateTip);

    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { ports_.refresh(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
    ports_.onRefresh([this] { showEntries(); });
    showEntries();
}

PortBox::~PortBox() {
    ports_.onRefresh({});
}

void PortBox::preset(const QString &text) {
    const auto number = startup::portNumber(text.toStdString());
    if (number && ports_.entry(*number)) setCurrentIndex(*number - 1);
    setEditText(text);
}

void PortBox::showPopup() {
    ports_.refresh();  // shows the entries again before the list is laid out
    QComboBox::showPopup();
}

void PortBox::showEntries() {
    // Changing the current entry's text would put that text in the box.
    const QString text = currentText();
    const int cursor = lineEdit()->cursorPosition();
    {
        const QSignalBlocker quiet(this);
        const auto &entries = ports_.entries();
        for (int i = 0; i < count() && i < int(entries.size()); ++i) {
            const QString item = QString::fromStdString(entries[std::size_t(i)].text);
            if (itemText(i) != item) setItemText(i, item);
        }
        lineEdit()->setText(text);
        lineEdit()->setCursorPosition(cursor);
    }
    // The list may be wider than the box: it shows whole entries.
    const int widest = view()->sizeHintForColumn(0) +
                       view()->verticalScrollBar()->sizeHint().width() + 2 * view()->frameWidth();
    view()->setMinimumWidth(std::max(width(), widest));
    updateTip();
    watchFolders();  // /dev/serial is made with the first adapter
}

void PortBox::watchFolders() {
    QStringList folders;
    const QStringList watched = watcher_.directories();
    for (const std::string &folder : startup::deviceFolders()) {
        const QString path = QString::fromStdString(folder);
        if (!watched.contains(path) && QFileInfo(path).isDir()) folders << path;
    }
    if (!folders.isEmpty()) watcher_.addPaths(folders);
}

void PortBox::updateTip() {
    setToolTip(QString::fromStdString(startup::portTip(ports_, currentText().toStdString())));
}

}  // namespace zz::portdialog
