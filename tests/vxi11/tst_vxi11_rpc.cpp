// XDR, record marking, RPC call decoding and replies, and the portmapper,
// as bytes on the wire: the well-formed cases and the hostile ones.

#include "rpc_test_client.h"
#include "vxi11/portmapper.h"
#include "vxi11/record_marking.h"
#include "vxi11/rpc_stream.h"

#include <QtTest>

using namespace zz::vxi11;
using vxi11test::Bytes;
using vxi11test::operator+;
using vxi11test::call;
using vxi11test::parse;
using vxi11test::words;

Q_DECLARE_METATYPE(vxi11test::Bytes)

namespace {

constexpr std::uint16_t kCorePort = 4321;

QByteArray hex(const Bytes &b) {
    return QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(b.size())).toHex();
}

}  // namespace

class tst_Vxi11Rpc : public QObject {
    Q_OBJECT

private slots:
    void xdrWriteRead() {
        XdrWriter out;
        out.u32(0xdeadbeef);
        out.i32(-2);
        out.boolean(true);
        out.string("abcde");
        out.opaque({});
        QCOMPARE(hex(out.bytes()), QByteArray("deadbeef"
                                              "fffffffe"
                                              "00000001"
                                              "00000005"
                                              "6162636465000000"
                                              "00000000"));
        XdrReader in(out.bytes());
        QCOMPARE(in.u32(), 0xdeadbeefu);
        QCOMPARE(in.i32(), -2);
        QVERIFY(in.boolean());
        QCOMPARE(in.string(5), std::string_view("abcde"));
        QCOMPARE(in.opaque(0).size(), std::size_t{0});
        QVERIFY(in.ok());
        QCOMPARE(in.remaining(), std::size_t{0});
    }

    // Each input is read as one opaque<bound>; none may be taken.
    void xdrRefuses_data() {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<uint>("bound");
        QTest::newRow("huge declared length") << words({0xffffffff, 1, 2}) << 0xffffffffu;
        QTest::newRow("length past the end") << words({9, 0, 0}) << 100u;
        QTest::newRow("padding missing") << (words({5}) + Bytes{'a', 'b', 'c', 'd', 'e'}) << 100u;
        QTest::newRow("past the caller's bound") << words({8, 0, 0}) << 4u;
        QTest::newRow("no length") << Bytes{0, 0} << 100u;
    }
    void xdrRefuses() {
        QFETCH(Bytes, bytes);
        QFETCH(uint, bound);
        XdrReader in(bytes);
        QVERIFY(in.opaque(bound).empty());
        QVERIFY(!in.ok());
        QCOMPARE(in.u32(), 0u);  // a failure sticks
    }

    void xdrBoolean() {
        const Bytes b = words({0, 1, 2});
        XdrReader in(b);
        QVERIFY(!in.boolean());
        QVERIFY(in.boolean());
        QVERIFY(in.ok());
        in.boolean();
        QVERIFY(!in.ok());
    }

    // The stream, cut into pieces of `piece` bytes; the records that come
    // out, and whether the framer gave up.
    void framer_data() {
        QTest::addColumn<Bytes>("stream");
        QTest::addColumn<int>("piece");
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<bool>("midRecord");
        const Bytes two = words({0x80000004, 0x11111111, 0x80000000, 0x80000004, 0x22222222});
        QTest::newRow("one fragment each, an empty record")
            << two << 1000 << QList<QByteArray>{"11111111", "", "22222222"} << false << false;
        QTest::newRow("byte by byte")
            << two << 1 << QList<QByteArray>{"11111111", "", "22222222"} << false << false;
        QTest::newRow("fragments joined")
            << words({0x00000004, 0x11111111, 0x00000000, 0x80000004, 0x22222222}) << 3
            << QList<QByteArray>{"1111111122222222"} << false << false;
        QTest::newRow("truncated fragment")
            << words({0x80000008, 0x11111111}) << 5 << QList<QByteArray>{} << false << true;
        QTest::newRow("truncated mark")
            << Bytes{0x80, 0} << 1 << QList<QByteArray>{} << false << true;
        QTest::newRow("declared 2 GiB")
            << words({0xffffffff, 0}) << 8 << QList<QByteArray>{} << true << true;
        QTest::newRow("one over the bound")
            << words(std::initializer_list<std::uint32_t>{0x80000000u | (kMaxRecord + 1)}) << 4
            << QList<QByteArray>{} << true << true;
        // Fragments each below the bound, together past it.
        Bytes many;
        for (int i = 0; i < 70; ++i) {
            many = many + words({1024});
            many.resize(many.size() + 1024, 0x55);
        }
        QTest::newRow("fragments past the bound together")
            << many << 4096 << QList<QByteArray>{} << true << true;
        // A record of exactly the bound is taken.
        Bytes full = words(std::initializer_list<std::uint32_t>{0x80000000u | kMaxRecord});
        full.resize(full.size() + kMaxRecord, 0);
        QTest::newRow("exactly the bound")
            << full << 65536 << QList<QByteArray>{QByteArray(kMaxRecord * 2, '0')} << false
            << false;
    }
    void framer() {
        QFETCH(Bytes, stream);
        QFETCH(int, piece);
        QFETCH(QList<QByteArray>, records);
        QFETCH(bool, failed);
        QFETCH(bool, midRecord);
        RecordFramer framer;
        QList<QByteArray> got;
        for (std::size_t at = 0; at < stream.size(); at += std::size_t(piece)) {
            const auto n = std::min(std::size_t(piece), stream.size() - at);
            framer.feed(std::span(stream).subspan(at, n));
            while (auto r = framer.next()) got << hex(*r);
        }
        QCOMPARE(got, records);
        QCOMPARE(framer.failed(), failed);
        QCOMPARE(framer.midRecord(), midRecord);
    }

    void frameRecordSplits() {
        const Bytes record{1, 2, 3, 4, 5};
        QCOMPARE(hex(frameRecord(record, 2)), QByteArray("000000020102"
                                                         "000000020304"
                                                         "8000000105"));
        QCOMPARE(hex(frameRecord({})), QByteArray("80000000"));
    }

    // Calls to the portmapper (core port 4321): the reply's status and body.
    void portmapper_data() {
        QTest::addColumn<Bytes>("record");
        QTest::addColumn<uint>("replyStat");
        QTest::addColumn<uint>("stat");
        QTest::addColumn<QByteArray>("body");
        auto getport = [](std::uint32_t prog, std::uint32_t vers, std::uint32_t prot,
                          std::uint32_t pmapVersion = 2) {
            return call(100000, pmapVersion, 3, words({prog, vers, prot, 0}));
        };
        QTest::newRow("NULL") << call(100000, 2, 0, {}) << 0u << 0u << QByteArray();
        QTest::newRow("GETPORT core TCP")
            << getport(0x0607AF, 1, 6) << 0u << 0u << QByteArray("000010e1");
        QTest::newRow("GETPORT core UDP")
            << getport(0x0607AF, 1, 17) << 0u << 0u << QByteArray("00000000");
        QTest::newRow("GETPORT core version 2")
            << getport(0x0607AF, 2, 6) << 0u << 0u << QByteArray("00000000");
        QTest::newRow("GETPORT another program")
            << getport(100003, 3, 6) << 0u << 0u << QByteArray("00000000");
        QTest::newRow("GETPORT itself")
            << getport(100000, 2, 17) << 0u << 0u << QByteArray("0000006f");
        QTest::newRow("rpcbind version 3")
            << getport(0x0607AF, 1, 6, 3) << 0u << 2u << QByteArray("0000000200000002");
        QTest::newRow("rpcbind version 4")
            << call(100000, 4, 0, {}) << 0u << 2u << QByteArray("0000000200000002");
        QTest::newRow("SET not taken")
            << call(100000, 2, 1, words({1, 2, 6, 99})) << 0u << 3u << QByteArray();
        QTest::newRow("unknown procedure") << call(100000, 2, 77, {}) << 0u << 3u << QByteArray();
        QTest::newRow("GETPORT cut short")
            << call(100000, 2, 3, words({0x0607AF, 1})) << 0u << 4u << QByteArray();
        QTest::newRow("unknown program") << call(0x0607AF, 1, 10, {}) << 0u << 1u << QByteArray();
        QTest::newRow("RPC version 3") << words({0x1234, 0, 3, 100000, 2, 0, 0, 0, 0, 0}) << 1u
                                       << 0u << QByteArray("0000000200000002");
        QTest::newRow("credential over 400 bytes")
            << (words({0x1234, 0, 2, 100000, 2, 0, 1, 404}) + Bytes(404, 0) + words({0, 0})) << 1u
            << 1u << QByteArray("00000001");
        // AUTH_UNIX: stamp, machine name, uid, gid, two gids.
        const Bytes unix =
            words({20, 0x5eed}) + vxi11test::xdrString("lab-pc") + words({1000, 1000, 2, 4, 24});
        const Bytes unixCall = words({0x1234, 0, 2, 100000, 2, 3, 1, std::uint32_t(unix.size())}) +
                               unix + words({0, 0}) + words({0x0607AF, 1, 6, 0});
        QTest::newRow("AUTH_UNIX credential") << unixCall << 0u << 0u << QByteArray("000010e1");
        QTest::newRow("DUMP") << call(100000, 2, 4, {}) << 0u << 0u
                              << QByteArray(
                                     "00000001"
                                     "000186a00000000200000006"
                                     "0000006f"
                                     "00000001"
                                     "000186a000000002000000110000006f"
                                     "00000001"
                                     "000607af0000000100000006000010e1"
                                     "00000000");
    }
    void portmapper() {
        QFETCH(Bytes, record);
        QFETCH(uint, replyStat);
        QFETCH(uint, stat);
        QFETCH(QByteArray, body);
        const pmap::Portmapper mapper(kCorePort);
        const auto reply = parse(mapper.handleCall(record));
        QVERIFY(reply.valid);
        QCOMPARE(reply.xid, 0x1234u);
        QCOMPARE(reply.replyStat, replyStat);
        QCOMPARE(reply.stat, stat);
        QCOMPARE(hex(reply.body), body);
    }

    // No reply is due: the stream transport closes, the datagram one drops.
    void noReply_data() {
        QTest::addColumn<Bytes>("record");
        QTest::newRow("empty") << Bytes{};
        QTest::newRow("xid only") << words({7});
        QTest::newRow("a reply") << words({7, 1, 0, 0, 0, 0});
        QTest::newRow("header cut short") << words({7, 0, 2, 100000, 2});
        QTest::newRow("credential past the end") << words({7, 0, 2, 100000, 2, 0, 0, 0xfffffff0});
        QTest::newRow("verifier missing") << words({7, 0, 2, 100000, 2, 0, 0, 0});
    }
    void noReply() {
        QFETCH(Bytes, record);
        QVERIFY(pmap::Portmapper(kCorePort).handleCall(record).empty());
    }

    // Our calls to a system rpcbind, read back as a server reads them.
    void registrationCalls() {
        const pmap::Mapping core{0x0607AF, 1, pmap::kTcp, kCorePort};
        for (const bool set : {true, false}) {
            const Bytes bytes = set ? pmap::setCall(99, core) : pmap::unsetCall(99, core);
            const auto decoded = rpc::decodeCall(bytes);
            QCOMPARE(int(decoded.outcome), int(rpc::DecodedCall::Outcome::Call));
            QCOMPARE(decoded.header.xid, 99u);
            QCOMPARE(decoded.header.program, 100000u);
            QCOMPARE(decoded.header.version, 2u);
            QCOMPARE(decoded.header.procedure, set ? 1u : 2u);
            QCOMPARE(hex(Bytes(decoded.arguments.begin(), decoded.arguments.end())),
                     QByteArray("000607af0000000100000006000010e1"));
        }
        const Bytes yes = rpc::successReply(99, words({1}));
        QCOMPARE(pmap::boolReply(yes, 99), std::optional<bool>(true));
        QCOMPARE(pmap::boolReply(rpc::successReply(99, words({0})), 99),
                 std::optional<bool>(false));
        QCOMPARE(pmap::boolReply(yes, 98), std::nullopt);  // another call's
        QCOMPARE(pmap::boolReply(rpc::successReply(99, {}), 99), std::nullopt);
        QCOMPARE(pmap::boolReply(rpc::acceptedReply(99, rpc::AcceptStat::ProcUnavail), 99),
                 std::nullopt);
        QCOMPARE(pmap::boolReply(rpc::rpcMismatchReply(99), 99), std::nullopt);
    }

    // Records through the stream helper: replies framed, in order; a record
    // past the bound or one that is no call closes, after what came before.
    void stream() {
        const pmap::Portmapper mapper(kCorePort);
        RpcStream stream([&](auto r) { return mapper.handleCall(r); });
        const Bytes two =
            frameRecord(call(100000, 2, 0, {}, 1)) + frameRecord(call(100000, 2, 0, {}, 2), 7);
        auto out = stream.feed(std::span(two).first(30));
        QVERIFY(!out.close);
        out = stream.feed(std::span(two).subspan(30));
        QCOMPARE(hex(out.bytes),
                 QByteArray("80000018000000010000000100000000000000000000000000000000"
                            "80000018000000020000000100000000000000000000000000000000"));
        const Bytes hostile = frameRecord(call(100000, 2, 0, {}, 3)) + words({0x7fffffff});
        out = stream.feed(hostile);
        QVERIFY(out.close);
        QCOMPARE(out.bytes.size(), std::size_t{28});  // the good call's reply still goes
        QVERIFY(stream.feed(two).close);
        QVERIFY(stream.feed(two).bytes.empty());

        RpcStream second([&](auto r) { return mapper.handleCall(r); });
        out = second.feed(frameRecord(words({5, 1, 0})));
        QVERIFY(out.close);
        QVERIFY(out.bytes.empty());
    }
};

QTEST_GUILESS_MAIN(tst_Vxi11Rpc)
#include "tst_vxi11_rpc.moc"
