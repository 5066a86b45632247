// The servers' shared machinery without a network: who may connect, who
// gets a slot, and the serial link's queue with its hop back.

#include "net/allow_list.h"
#include "net/link_queue.h"
#include "net/slot_rule.h"

#include <QtTest>

#include <atomic>
#include <numeric>
#include <thread>

using namespace zz;
namespace asio = boost::asio;

class tst_Net : public QObject {
    Q_OBJECT

private slots:
    void allowList_data() {
        QTest::addColumn<QString>("allow");
        QTest::addColumn<QString>("peer");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("the address") << "10.0.0.5"
                                     << "10.0.0.5" << true;
        QTest::newRow("its neighbour") << "10.0.0.5"
                                       << "10.0.0.6" << false;
        QTest::newRow("in the network") << "192.168.1.0/24"
                                        << "192.168.1.200" << true;
        QTest::newRow("past the network") << "192.168.1.0/24"
                                          << "192.168.2.1" << false;
        QTest::newRow("host bits given") << "192.168.1.77/24"
                                         << "192.168.1.3" << true;
        QTest::newRow("odd prefix in") << "10.0.0.0/23"
                                       << "10.0.1.255" << true;
        QTest::newRow("odd prefix out") << "10.0.0.0/23"
                                        << "10.0.2.0" << false;
        QTest::newRow("second item") << "10.0.0.5, 10.0.0.9"
                                     << "10.0.0.9" << true;
        QTest::newRow("v4 seen through v6") << "10.0.0.5"
                                            << "::ffff:10.0.0.5" << true;
        QTest::newRow("v6 network") << "fd00::/8"
                                    << "fd12::1" << true;
        QTest::newRow("v6 outside") << "fd00::/8"
                                    << "fe80::1" << false;
        QTest::newRow("v4 list, v6 peer") << "0.0.0.0/0"
                                          << "::1" << false;
        QTest::newRow("everyone v4") << "0.0.0.0/0"
                                     << "203.0.113.9" << true;
    }
    void allowList() {
        QFETCH(QString, allow);
        QFETCH(QString, peer);
        QFETCH(bool, allowed);
        const auto list = net::AllowList::parse(allow.toStdString());
        QVERIFY2(list.ok(), list.error().c_str());
        QCOMPARE(list.value().allows(asio::ip::make_address(peer.toStdString())), allowed);
    }

    void allowListRefused_data() {
        QTest::addColumn<QString>("allow");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << ""
                               << "an empty item";
        QTest::newRow("trailing comma") << "10.0.0.5,"
                                        << "an empty item";
        QTest::newRow("a name") << "bench-pc"
                                << "is not an address";
        QTest::newRow("v4 prefix too long") << "10.0.0.0/33"
                                            << "0 to 32 bits";
        QTest::newRow("v6 prefix too long") << "fd00::/129"
                                            << "0 to 128 bits";
        QTest::newRow("no bits") << "10.0.0.0/"
                                 << "0 to 32 bits";
        QTest::newRow("bits not a number") << "10.0.0.0/2x"
                                           << "0 to 32 bits";
    }
    void allowListRefused() {
        QFETCH(QString, allow);
        QFETCH(QString, reason);
        const auto list = net::AllowList::parse(allow.toStdString());
        QVERIFY(!list.ok());
        QVERIFY2(list.error().find(reason.toStdString()) != std::string::npos,
                 list.error().c_str());
    }

    void loopbackOnly() {
        const auto list = net::AllowList::loopbackOnly();
        QVERIFY(list.allows(asio::ip::make_address("127.0.0.1")));
        QVERIFY(list.allows(asio::ip::make_address("127.9.9.9")));
        QVERIFY(list.allows(asio::ip::make_address("::1")));
        QVERIFY(!list.allows(asio::ip::make_address("10.0.0.1")));
        QCOMPARE(list.text(), std::string("127.0.0.0/8,::1/128"));
    }

    void slotRule_data() {
        QTest::addColumn<QList<int>>("silentMs");  // of each connection
        QTest::addColumn<int>("evicted");          // -1: none; -2: the newcomer refused
        QTest::newRow("a free slot") << QList<int>{10, 90'000} << -1;
        QTest::newRow("all busy") << QList<int>{10, 59'999, 0} << -2;
        QTest::newRow("one long silent") << QList<int>{10, 60'000, 0} << 1;
        QTest::newRow("the longest goes") << QList<int>{61'000, 90'000, 70'000} << 1;
    }
    void slotRule() {
        QFETCH(QList<int>, silentMs);
        QFETCH(int, evicted);
        const net::SlotRule rule(3, net::kDefaultIdleLimit, "clients");
        const auto now = std::chrono::steady_clock::now();
        std::vector<net::SteadyTime> heard;
        for (const int ms : silentMs) heard.push_back(now - std::chrono::milliseconds(ms));
        const auto verdict = rule.decide(heard, now, "10.0.0.9:4000");
        QCOMPARE(verdict.admitted, evicted != -2);
        QCOMPARE(verdict.evicted ? int(*verdict.evicted) : (verdict.admitted ? -1 : -2), evicted);
        if (evicted == -2)
            QCOMPARE(verdict.refusal, std::string("10.0.0.9:4000 refused: all 3 clients heard "
                                                  "from within the last 60 s"));
        if (evicted >= 0) QVERIFY(verdict.eviction.ends_with("s, its slot given to 10.0.0.9:4000"));
    }

    // Jobs run whole and in arrival order; stop lets the running one finish.
    void linkQueueOrder() {
        asio::io_context io;
        net::LinkQueue queue(io);
        std::vector<int> done;
        std::atomic<bool> release{false};
        QVERIFY(queue.push([&] {
            while (!release) std::this_thread::yield();
            done.push_back(0);
        }));
        for (int i = 1; i <= 100; ++i) QVERIFY(queue.push([&, i] { done.push_back(i); }));
        release = true;
        while (queue.waiting() > 0) std::this_thread::yield();
        queue.stop();
        QVERIFY(!queue.push([] {}));
        std::vector<int> expected(101);
        std::iota(expected.begin(), expected.end(), 0);
        QCOMPARE(done, expected);
    }

    // The job runs on the link's thread, its answer on the thread running
    // the event loop, with what the job found.
    void hopComesBack() {
        asio::io_context io;
        auto work = asio::make_work_guard(io);
        net::LinkQueue queue(io);
        std::thread::id jobThread, answerThread;
        int answered = 0;
        QVERIFY(queue.hop(
            [&] {
                jobThread = std::this_thread::get_id();
                return 42;
            },
            [&](int found) {
                answerThread = std::this_thread::get_id();
                answered = found;
                work.reset();
            }));
        io.run_for(std::chrono::seconds(5));
        QCOMPARE(answered, 42);
        QVERIFY(jobThread != std::this_thread::get_id());
        QCOMPARE(answerThread, std::this_thread::get_id());
    }
};

QTEST_APPLESS_MAIN(tst_Net)
#include "tst_net.moc"
