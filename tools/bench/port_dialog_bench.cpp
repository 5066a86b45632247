// The port dialog's drop-down opening on the machine of port_scan_bench (a
// fake tree of 32 ports, 8 of them mapped): from the press that drops the
// list (showPopup: the ports read afresh, the 20 entries shown again, the
// list laid out) to the list painted, on real widgets (offscreen unless a
// platform is set); beside it the scan alone on the same tree.
//
//   port_dialog_bench [runs]      (default 100)

#include "bench_serial_tree.h"
#include "link/port_scan.h"
#include "portdialog/port_dialog.h"
#include "startup/port_listing.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double median = 0, slowest = 0;  // ms
};

Figures time(int runs, const std::function<void()> &work, const std::function<void()> &after) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        after();
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// The offscreen platform says at every drop that it cannot raise the list or
// grab the keyboard; the figures are the lines worth reading.
void quietPlatform(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
    std::fprintf(stderr, "%s%s\n", type == QtWarningMsg ? "warning: " : "", qPrintable(message));
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietPlatform);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;

    zz::rig::FakeSerialTree tree;
    zz::rig::PortMapSandbox sandbox;
    if (!tree.ok() || !sandbox.ok()) {
        std::fprintf(stderr, "port_dialog_bench: no temporary tree\n");
        return 1;
    }
    zz::bench::addThirtyTwoPorts(tree, sandbox);
    zz::startup::PortListing ports;
    zz::portdialog::PortDialog dialog("1", ports, [](const std::string &) { return false; });
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "port_dialog_bench: the dialog was not shown\n");
        return 1;
    }
    QComboBox *box = dialog.portBox();
    QAbstractItemView *list = box->view();
    int shown = 0;
    const Figures open = time(
        runs,
        [&] {
            box->showPopup();
            list->viewport()->repaint();
            shown += list->isVisible() ? 1 : 0;
        },
        [&] {
            box->hidePopup();
            QCoreApplication::processEvents();
        });
    const auto roots = tree.roots();
    std::size_t found = 0;
    const Figures scan = time(
        runs, [&] { found = zz::link::scanPorts(roots).size(); }, [] {});
    std::printf("Port dialog's drop-down, a tree of 32 ports (%zu listed), %d runs:\n", found,
                runs);
    std::printf("  drop-down opened:  median %.2f ms, slowest %.2f ms (target < 100 ms)\n",
                open.median, open.slowest);
    std::printf("  the scan alone:    median %.2f ms, slowest %.2f ms\n", scan.median,
                scan.slowest);
    if (shown != runs) {
        std::fprintf(stderr, "port_dialog_bench: the list dropped %d times of %d\n", shown, runs);
        return 1;
    }
    return 0;
}
