// The VXI-11 core channel at the message level, on real SCPI sessions: the
// calls clients make, the answers, the exact commands that reached the box,
// and the hostile calls, on which nothing may reach it.

#include "common/version.h"
#include "rpc_test_client.h"
#include "scpi/instrument.h"
#include "support/recording_link.h"
#include "vxi11/device_core.h"
#include "vxi11/record_marking.h"
#include "vxi11/rpc_stream.h"
#include "vxi11/scpi_session_host.h"

#include <QtTest>

using namespace zz;
using namespace zz::vxi11;
using vxi11test::Bytes;
using vxi11test::operator+;
using vxi11test::words;

namespace {

constexpr std::uint32_t kEnd = 0x08, kTermCharSet = 0x80;

using test::RecordingLink;

Bytes text(std::string_view s) {
    return vxi11test::xdrString(s);
}

// A client of the core channel on one connection, the calls as PyVISA
// makes them.
struct Client {
    DeviceCore &core;
    ConnectionId connection = 1;

    vxi11test::Reply call(std::uint32_t procedure, const Bytes &args,
                          std::uint32_t program = 0x0607AF) {
        const auto reply = vxi11test::parse(
            core.handleCall(vxi11test::call(program, 1, procedure, args), connection));
        return reply;
    }
    // Device_ErrorCode and the rest of the results.
    std::pair<std::uint32_t, Bytes> results(std::uint32_t procedure, const Bytes &args) {
        auto reply = call(procedure, args);
        if (!reply.valid || reply.replyStat != 0 || reply.stat != 0) return {~0u, {}};
        XdrReader in(reply.body);
        const std::uint32_t error = in.u32();
        const auto rest = in.rest();
        return {error, Bytes(rest.begin(), rest.end())};
    }
    // create_link: {error, link id}
    std::pair<std::uint32_t, std::uint32_t> create(bool lock = false,
                                                   std::string_view device = "inst0") {
        const auto [error, rest] = results(10, words({7, lock, 0}) + text(device));
        XdrReader in(rest);
        return {error, in.u32()};
    }
    std::uint32_t write(std::uint32_t lid, std::string_view data, std::uint32_t flags = kEnd) {
        return results(11, words({lid, 1000, 0, flags}) + text(data)).first;
    }
    struct Read {
        std::uint32_t error = 0, reason = 0;
        QByteArray data;
    };
    Read read(std::uint32_t lid, std::uint32_t size = 1024, std::uint32_t flags = 0,
              char term = '\n') {
        const auto [error, rest] =
            results(12, words({lid, size, 1000, 0, flags, std::uint32_t(term)}));
        XdrReader in(rest);
        Read r{error, in.u32(), {}};
        const auto data = in.string(0xffffffff);
        r.data = QByteArray(data.data(), qsizetype(data.size()));
        return r;
    }
    std::uint32_t generic(std::uint32_t procedure, std::uint32_t lid) {
        return results(procedure, words({lid, 0, 0, 1000})).first;
    }
    std::uint32_t readStb(std::uint32_t lid, std::uint32_t *stb) {
        const auto [error, rest] = results(13, words({lid, 0, 0, 1000}));
        XdrReader in(rest);
        *stb = in.u32();
        return error;
    }
    std::uint32_t lock(std::uint32_t lid) { return results(18, words({lid, 0, 0})).first; }
    std::uint32_t unlock(std::uint32_t lid) { return results(19, words({lid})).first; }
    std::uint32_t destroy(std::uint32_t lid) { return results(23, words({lid})).first; }
};

}  // namespace

class tst_Vxi11Core : public QObject {
    Q_OBJECT

    RecordingLink box;
    scpi::Instrument instrument{box};
    ScpiSessionHost host{instrument};

private slots:
    void init() { box.wire.clear(); }

    void writeAndRead() {
        DeviceCore core(host, {16, 4321, 1024});
        Client c{core};
        const auto [error, lid] = c.create();
        QCOMPARE(error, 0u);
        QCOMPARE(c.write(lid, "RES 1.2 KOHM\n"), 0u);
        QCOMPARE(box.wire, QByteArray("01200.0\r"));
        // A message in pieces waits for END.
        QCOMPARE(c.write(lid, "RE", 0), 0u);
        QCOMPARE(c.write(lid, "S?", 0), 0u);
        QCOMPARE(c.read(lid).error, 15u);
        QCOMPARE(c.write(lid, ""), 0u);
        const auto r = c.read(lid);
        QCOMPARE(r.error, 0u);
        QCOMPARE(r.reason, 4u);  // END
        QCOMPARE(r.data, QByteArray("1200.0\n"));
        QCOMPARE(c.read(lid).error, 15u);  // nothing more waits
        // Two lines in one message, CR LF ends.
        QCOMPARE(c.write(lid, "RES 5\r\nRES?;RES?\r\n"), 0u);
        QCOMPARE(c.read(lid).data, QByteArray("5.0;5.0\n"));
        QCOMPARE(box.wire, QByteArray("01200.0\r00005.0\r"));
        QCOMPARE(c.destroy(lid), 0u);
        QCOMPARE(core.linkCount(), std::size_t{0});
    }

    // The names a LAN instrument answers to; others are "device not accessible".
    void deviceNames_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<uint>("error");
        QTest::newRow("inst") << "inst" << 0u;
        QTest::newRow("INST0") << "INST0" << 0u;
        QTest::newRow("inst12") << "inst12" << 0u;
        QTest::newRow("ins") << "ins" << 3u;
        QTest::newRow("inst0x") << "inst0x" << 3u;
        QTest::newRow("gpib0,5") << "gpib0,5" << 3u;
    }
    void deviceNames() {
        QFETCH(QString, device);
        QFETCH(uint, error);
        DeviceCore core(host);
        Client c{core};
        QCOMPARE(c.create(false, device.toStdString()).first, error);
    }

    // Reads of an answer: request size, termination character, END last.
    void readPieces_data() {
        QTest::addColumn<uint>("size");
        QTest::addColumn<bool>("termSet");
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QList<uint>>("reasons");
        const QByteArray idn = QByteArray("Quellor Ltd,6175,0,") + common::kVersion;
        const QByteArray answer = idn + ";5.0\n";
        QTest::newRow("whole") << 1024u << false << QList<QByteArray>{answer} << QList<uint>{4};
        QTest::newRow("exactly its size")
            << uint(answer.size()) << false << QList<QByteArray>{answer} << QList<uint>{4};
        QTest::newRow("in threes of ten")
            << 10u << false
            << QList<QByteArray>{answer.left(10), answer.mid(10, 10), answer.mid(20)}
            << QList<uint>{1, 1, 4};
        QTest::newRow("up to ';'")
            << 1024u << true << QList<QByteArray>{idn + ";", "5.0\n"} << QList<uint>{2, 4};
        QTest::newRow("size before ';'")
            << 20u << true << QList<QByteArray>{idn.left(20), idn.mid(20) + ";", "5.0\n"}
            << QList<uint>{1, 2, 4};
    }
    void readPieces() {
        QFETCH(uint, size);
        QFETCH(bool, termSet);
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QList<uint>, reasons);
        DeviceCore core(host);
        Client c{core};
        const auto lid = c.create().second;
        QCOMPARE(c.write(lid, "RES 5;*IDN?;RES?"), 0u);
        QList<QByteArray> gotPieces;
        QList<uint> gotReasons;
        for (int i = 0; i < 5; ++i) {
            const auto r = c.read(lid, size, termSet ? kTermCharSet : 0, ';');
            if (r.error) break;
            gotPieces << r.data;
            gotReasons << r.reason;
        }
        QCOMPARE(gotPieces, pieces);
        QCOMPARE(gotReasons, reasons);
    }

    void statusClearAndUnsupported() {
        DeviceCore core(host);
        Client c{core};
        const auto lid = c.create().second;
        std::uint32_t stb = 0;
        QCOMPARE(c.readStb(lid, &stb), 0u);
        QCOMPARE(stb, 0u);
        QCOMPARE(c.write(lid, "*IDN?"), 0u);
        QCOMPARE(c.readStb(lid, &stb), 0u);
        QCOMPARE(stb, 0x10u);              // MAV
        QCOMPARE(c.generic(15, lid), 0u);  // device_clear drops the answer
        QCOMPARE(c.read(lid).error, 15u);
        QCOMPARE(c.write(lid, "NO:SUCH"), 0u);
        QCOMPARE(c.readStb(lid, &stb), 0u);
        QCOMPARE(stb, 0x04u);  // an error waits in the queue
        // A new message drops an answer left unread.
        QCOMPARE(c.write(lid, "*IDN?"), 0u);
        QCOMPARE(c.write(lid, "SYST:ERR?"), 0u);
        QCOMPARE(c.read(lid).data, QByteArray("-113,\"Undefined header\"\n"));
        for (const std::uint32_t procedure : {14u, 16u, 17u})  // trigger, remote, local
            QCOMPARE(c.generic(procedure, lid), 8u);
        QCOMPARE(c.results(20, words({lid, 1, 0})).first, 8u);         // enable_srq
        QCOMPARE(c.results(26, {}).first, 6u);                         // destroy_intr_chan
        QCOMPARE(c.results(25, words({0, 0, 0, 0, 0})).first, 8u);     // create_intr_chan
        QCOMPARE(c.call(1, words({lid}), 0x0607B0).body, words({0}));  // abort
        QCOMPARE(box.wire, QByteArray());
        // device_clear drops a message still without its END too.
        QCOMPARE(c.write(lid, "RES 5", 0), 0u);
        QCOMPARE(c.generic(15, lid), 0u);
        QCOMPARE(c.write(lid, "RES 7"), 0u);
        QCOMPARE(box.wire, QByteArray("00007.0\r"));
    }

    // A line past 64 KiB is dropped whole, reported as an input overrun.
    void overlongLine() {
        DeviceCore core(host, {16, 0, 70000});
        Client c{core};
        const auto lid = c.create().second;
        const std::string junk(40000, '5');
        QCOMPARE(c.write(lid, "RES " + junk, 0), 0u);
        QCOMPARE(c.write(lid, junk + "\nSYST:ERR?"), 0u);
        QCOMPARE(c.read(lid).data, QByteArray("-363,\"Input buffer overrun\"\n"));
        QCOMPARE(box.wire, QByteArray());
    }

    void locks() {
        DeviceCore core(host);
        Client a{core, 1}, b{core, 2};
        const auto la = a.create().second;
        const auto lb = b.create().second;
        QCOMPARE(b.unlock(lb), 12u);  // no lock held
        QCOMPARE(a.lock(la), 0u);
        QCOMPARE(a.lock(la), 0u);  // held already
        QCOMPARE(b.lock(lb), 11u);
        QCOMPARE(b.write(lb, "RES 7"), 11u);
        QCOMPARE(b.read(lb).error, 11u);
        QCOMPARE(b.generic(15, lb), 11u);
        QCOMPARE(b.create(true).first, 11u);  // create_link with lockDevice
        QCOMPARE(b.unlock(lb), 12u);
        QCOMPARE(a.write(la, "RES 8"), 0u);
        QCOMPARE(box.wire, QByteArray("00008.0\r"));
        // The lock goes with its link's connection.
        core.closeConnection(1);
        QCOMPARE(b.write(lb, "RES 9"), 0u);
        QCOMPARE(box.wire, QByteArray("00008.0\r00009.0\r"));
        QCOMPARE(b.lock(lb), 0u);
        QCOMPARE(b.unlock(lb), 0u);
        QCOMPARE(b.unlock(lb), 12u);
    }

    // Which calls the server may answer at once, beside a stalled line: the
    // prediction, and that a call served at once sends nothing.
    void whichCallsNeedTheBox_data() {
        QTest::addColumn<QString>("before");  // written first, without END
        QTest::addColumn<uint>("procedure");
        QTest::addColumn<QString>("data");
        QTest::addColumn<uint>("flags");
        // The link's own, another connection, locked out, no such link.
        QTest::addColumn<QString>("caller");
        QTest::addColumn<bool>("needsTheBox");
        QTest::newRow("*IDN?") << "" << 11u << "*IDN?\n" << kEnd << "own" << false;
        QTest::newRow("status queries, CR LF") << "" << 11u << "*idn?;*ESR?;:SYST:ERR?\r\n"
                                               << kEnd << "own" << false;
        QTest::newRow("END without LF") << "" << 11u << "SYST:ERR?" << kEnd << "own" << false;
        QTest::newRow("a setting") << "" << 11u << "RES 100\n" << kEnd << "own" << true;
        QTest::newRow("a setting after *IDN?")
            << "" << 11u << "*IDN?;RES 5" << kEnd << "own" << true;
        QTest::newRow("second line a setting") << "" << 11u << "*IDN?\nRES 5\n"
                                               << 0u << "own" << true;
        QTest::newRow("a line not finished") << "" << 11u << "RES 1" << 0u << "own" << false;
        QTest::newRow("finishing a setting") << "RES 1" << 11u << "00\n" << 0u << "own" << true;
        QTest::newRow("finishing *IDN?") << "*ID" << 11u << "N?\n" << kEnd << "own" << false;
        QTest::newRow("a link that does not exist") << "" << 11u << "RES 3\n"
                                                    << kEnd << "none" << false;
        QTest::newRow("another connection's link") << "" << 11u << "RES 3\n"
                                                   << kEnd << "other" << false;
        QTest::newRow("locked by another") << "" << 11u << "RES 3\n" << kEnd << "locked" << false;
        QTest::newRow("device_read") << "" << 12u << "" << 0u << "own" << false;
    }
    void whichCallsNeedTheBox() {
        QFETCH(QString, before);
        QFETCH(uint, procedure);
        QFETCH(QString, data);
        QFETCH(uint, flags);
        QFETCH(QString, caller);
        QFETCH(bool, needsTheBox);
        DeviceCore core(host);
        Client owner{core, 1}, other{core, 2};
        const auto lid = owner.create().second;
        if (!before.isEmpty()) QCOMPARE(owner.write(lid, before.toStdString(), 0), 0u);
        if (caller == "locked") QCOMPARE(other.lock(other.create().second), 0u);
        const Client &client = caller == "other" ? other : owner;
        const std::uint32_t id = caller == "none" ? lid + 100 : lid;
        const Bytes args = procedure == 11u ? words({id, 0, 0, flags}) + text(data.toStdString())
                                            : words({id, 1024, 0, 0, 0, 10});
        const Bytes record = vxi11test::call(0x0607AF, 1, procedure, args);
        QCOMPARE(core.needsTheBox(record, client.connection), needsTheBox);
        box.wire.clear();
        // Served at once, or left for the box's thread: nothing sent here.
        QCOMPARE(core.handleCallUnlessToTheBox(record, client.connection).has_value(),
                 !needsTheBox);
        QCOMPARE(box.wire, QByteArray());
    }

    // Each call names a link that is not the caller's: "invalid link
    // identifier", and nothing reaches the box.
    void invalidLink_data() {
        QTest::addColumn<uint>("procedure");
        QTest::addColumn<Bytes>("args");
        const Bytes generic = words({0, 0, 1000});
        QTest::newRow("device_write") << 11u << (words({0, 0, 0, kEnd}) + text("RES 1"));
        QTest::newRow("device_read") << 12u << words({1024, 0, 0, 0, 10});
        for (const auto &[name, procedure] : {std::pair{"readstb", 13u},
                                              {"trigger", 14u},
                                              {"clear", 15u},
                                              {"remote", 16u},
                                              {"local", 17u}})
            QTest::newRow(name) << procedure << generic;
        QTest::newRow("device_lock") << 18u << words({0, 0});
        QTest::newRow("device_unlock") << 19u << Bytes{};
        QTest::newRow("destroy_link") << 23u << Bytes{};
        QTest::newRow("device_docmd") << 22u << words({0, 0, 0, 0x020000, 0, 0, 0});
    }
    void invalidLink() {
        QFETCH(uint, procedure);
        QFETCH(Bytes, args);
        DeviceCore core(host);
        Client owner{core, 1}, other{core, 2};
        const auto lid = owner.create().second;
        for (const std::uint32_t id : {lid + 1, 0u, 0xffffffffu, lid}) {
            QCOMPARE(other.results(procedure, words({id}) + args).first, 4u);
        }
        QCOMPARE(core.linkCount(), std::size_t{1});
        QCOMPARE(box.wire, QByteArray());
    }

    void seventeenLinks() {
        DeviceCore core(host);
        Client c{core};
        std::vector<std::uint32_t> ids;
        for (int i = 0; i < 16; ++i) {
            const auto [error, lid] = c.create();
            QCOMPARE(error, 0u);
            ids.push_back(lid);
        }
        QCOMPARE(c.create().first, 9u);
        QCOMPARE(core.linkCount(), std::size_t{16});
        QCOMPARE(c.destroy(ids[3]), 0u);
        QCOMPARE(c.create(false, "gpib0,5").first, 3u);
        const auto [error, lid] = c.create(false, "INST1");
        QCOMPARE(error, 0u);
        QVERIFY(std::find(ids.begin(), ids.end(), lid) == ids.end());  // ids are not reused
        QCOMPARE(c.write(ids[3], "RES 1"), 4u);
        QCOMPARE(c.create().first, 9u);
        core.closeConnection(1);
        QCOMPARE(core.linkCount(), std::size_t{0});
        QCOMPARE(box.wire, QByteArray());
    }

    // Calls whose arguments or numbers are wrong: the RPC error, no change.
    void hostileCalls_data() {
        QTest::addColumn<Bytes>("record");
        QTest::addColumn<uint>("replyStat");
        QTest::addColumn<uint>("stat");
        auto core = [](std::uint32_t procedure, const Bytes &args) {
            return vxi11test::call(0x0607AF, 1, procedure, args);
        };
        QTest::newRow("unknown procedure") << core(99, {}) << 0u << 3u;
        QTest::newRow("procedure 21 (none)") << core(21, words({1})) << 0u << 3u;
        QTest::newRow("unknown program") << vxi11test::call(0x0607B1, 1, 30, {}) << 0u << 1u;
        QTest::newRow("core version 2") << vxi11test::call(0x0607AF, 2, 11, {}) << 0u << 2u;
        QTest::newRow("write, huge declared length")
            << core(11, words({1, 0, 0, kEnd, 0xfffffffc}) + text("RES 1")) << 0u << 4u;
        QTest::newRow("write, data cut short")
            << core(11, words({1, 0, 0, kEnd, 12}) + Bytes{'R', 'E', 'S', ' ', '1'}) << 0u << 4u;
        QTest::newRow("create_link, no name") << core(10, words({1, 0, 0})) << 0u << 4u;
        QTest::newRow("create_link, long name")
            << core(10, words({1, 0, 0}) + text(std::string(300, 'i'))) << 0u << 4u;
        QTest::newRow("create_link, lock flag 2")
            << core(10, words({1, 2, 0}) + text("inst0")) << 0u << 4u;
        QTest::newRow("read, no termChar") << core(12, words({1, 100, 0, 0, 0})) << 0u << 4u;
        QTest::newRow("RPC version 1")
            << words({0x1234, 0, 1, 0x0607AF, 1, 11, 0, 0, 0, 0}) << 1u << 0u;
    }
    void hostileCalls() {
        QFETCH(Bytes, record);
        QFETCH(uint, replyStat);
        QFETCH(uint, stat);
        DeviceCore core(host);
        Client c{core};
        const auto lid = c.create().second;
        QCOMPARE(lid, 1u);  // the link the records name
        const auto reply = vxi11test::parse(core.handleCall(record, 1));
        QVERIFY(reply.valid);
        QCOMPARE(reply.xid, 0x1234u);
        QCOMPARE(reply.replyStat, replyStat);
        QCOMPARE(reply.stat, stat);
        QCOMPARE(core.linkCount(), std::size_t{1});
        QCOMPARE(c.read(lid).error, 15u);
        QCOMPARE(box.wire, QByteArray());
    }

    // The stream as a socket hands it over: a record in fragments works; a
    // truncated one does nothing; an oversized one closes; nothing reaches
    // the box from the broken ones.
    void overTheStream() {
        DeviceCore core(host);
        RpcStream stream([&](auto r) { return core.handleCall(r, 5); });
        auto out = stream.feed(
            frameRecord(vxi11test::call(0x0607AF, 1, 10, words({0, 0, 0}) + text("inst0")), 8));
        QCOMPARE(core.linkCount(), std::size_t{1});
        const Bytes write =
            vxi11test::call(0x0607AF, 1, 11, words({1, 0, 0, kEnd}) + text("RES 3"));
        const Bytes framed = frameRecord(write);
        out = stream.feed(std::span(framed).first(framed.size() - 1));  // cut short
        QVERIFY(out.bytes.empty());
        QVERIFY(!out.close);
        core.closeConnection(5);  // the client went away
        QCOMPARE(core.linkCount(), std::size_t{0});

        RpcStream oversized([&](auto r) { return core.handleCall(r, 6); });
        out = oversized.feed(words({0x80020000}) + write);
        QVERIFY(out.close);
        QVERIFY(out.bytes.empty());
        QCOMPARE(box.wire, QByteArray());
    }

    // *OPC? during a slew: its read waits (asked again) until the run's end,
    // the line written after it waits its turn, and a device clear drops both.
    // Last: it leaves the shared instrument slewing at 100 ohm/s.
    void waitingForARun() {
        std::chrono::steady_clock::time_point now{};
        instrument.clock = [&now] { return now; };
        DeviceCore core(host, {16, 4321, 1024});
        Client c{core};
        const auto lid = c.create().second;
        const Bytes read =
            vxi11test::call(0x0607AF, 1, 12, words({lid, 1024, 1000, 0, 0x80, '\n'}));
        QCOMPARE(c.write(lid, "RES 1000;RES:SLEW 100\n"), 0u);
        QVERIFY(!core.needsTheBox(read, 1));
        QCOMPARE(c.write(lid, "RES 1010;*OPC?\nRES?\n"), 0u);
        QVERIFY(core.needsTheBox(read, 1));
        QVERIFY(!core.handleCallOrWait(read, 1));  // asked again later
        QCOMPARE(c.read(lid).error, 15u);          // the last try: io_timeout
        now += std::chrono::milliseconds(200);
        instrument.advance();
        QCOMPARE(c.read(lid).data, QByteArray("1\n1010.0\n"));
        QCOMPARE(box.wire, QByteArray("01000.0\r01010.0\r"));
        // Answers before the waiting line are read at once.
        QCOMPARE(c.write(lid, "RES?\nRES 1000;*OPC?\n"), 0u);
        QCOMPARE(c.read(lid).data, QByteArray("1010.0\n"));
        QVERIFY(!core.handleCallOrWait(read, 1));
        now += std::chrono::milliseconds(200);
        instrument.advance();
        QCOMPARE(c.read(lid).data, QByteArray("1\n"));
        QCOMPARE(c.write(lid, "RES 1010;*OPC?\nRES 5\n"), 0u);
        QCOMPARE(c.generic(15, lid), 0u);  // device_clear
        QVERIFY(!instrument.running());
        QCOMPARE(c.read(lid).error, 15u);
        QCOMPARE(box.wire, QByteArray("01000.0\r01010.0\r01000.0\r"));  // nor RES 5
        instrument.clock = [] { return std::chrono::steady_clock::now(); };
    }
};

QTEST_GUILESS_MAIN(tst_Vxi11Core)
#include "tst_vxi11_core.moc"
