// The protocol as one connection sees it, without a network: lines in,
// answers out, and the exact commands the box was sent.

#include "common/version.h"
#include "scpi/command_table.h"
#include "scpi/line_splitter.h"
#include "scpi/quick_line.h"
#include "scpi/session.h"

#include <QtTest>

using namespace zz;

namespace {

class RecordingLink : public scpi::BoxLink {
public:
    QByteArray wire;  // every command that went out, each with its CR
    bool failing = false;
    mutable int calls = 0;  // of either function

    Status send(std::string_view command) override {
        ++calls;
        if (failing) return Status::failure(2, "COM3 (/dev/ttyUSB0): no such device");
        wire += QByteArray(command.data(), qsizetype(command.size())) + '\r';
        last_ = command;
        return {};
    }
    std::optional<std::string> lastCommand() const override {
        ++calls;
        return last_;
    }

private:
    std::optional<std::string> last_;
};

}  // namespace

class tst_ScpiSession : public QObject {
    Q_OBJECT

private slots:
    // Each "\n"-separated line is carried out in turn; `answers` is all that
    // came back, `wire` all that reached the box.
    void lines_data() {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("linkFails");
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<QByteArray>("wire");
        auto row = [](const char *name, const char *lines, const char *answers, const char *wire,
                      bool fails = false) {
            QTest::newRow(name) << lines << fails << QByteArray(answers) << QByteArray(wire);
        };
        row("identity", "*IDN?",
            (std::string("Quellor Ltd,6175,0,") + zz::common::kVersion + "\n").c_str(), "");
        row("long, short, any case, optional nodes",
            "SOURce:RESistance 100;sour:res:lev:imm:ampl 200.04\nres?;:SOUR:RES?", "200.0;200.0\n",
            "00100.0\r00200.0\r");
        row("relative path, then root", "TEMP:NTC:R25 5 KOHM;BETA 3000;:TEMP:NTC:R25?;BETA?",
            "5000;3000\n", "");
        row("suffixes and exponents", "RES 1.2 KOHM;RES 0.05MOHM;RES 1.5e+2 ohm;RES 4 E 1", "",
            "01200.0\r50000.0\r00150.0\r00040.0\r");
        row("MIN MAX DEF", "RES MAX;RES?;RES? MIN;RES? DEF;RES MIN;RES DEF",
            "99999.9;0.0;10000.0\n", "99999.9\r00000.0\r10000.0\r");
        row("the panel's rounding", "RES 99999.94;RES 0.05\nRES 99999.95\nSYST:ERR?",
            "-222,\"Data out of range\"\n", "99999.9\r00000.1\r");
        row("unknown before anything is sent", "RES?;TEMP?", "9.91E+37;9.91E+37\n", "");
        // Some clients send a bare line end to flush: nothing to do, no error.
        row("empty line and empty units", "\n ;;\nSYST:ERR:COUN?", "0\n", "");

        // Each error code from a command that causes it; a command error
        // ends its line.
        const char *errors =
            "RES 1.2.3;RES 5\nRES 'abc'\n*IDN? 1\nRES\nFOO 1\nRES 5 VOLT\nRES -1\n"
            "TEMP:SENS PT200\nSYST:ERR:COUN?\n"
            "SYST:ERR?;SYST:ERR?;SYST:ERR?;SYST:ERR?;SYST:ERR?;SYST:ERR?;SYST:ERR?;SYST:ERR?;"
            "SYST:ERR?;SYST:ERR?";
        row("error codes", errors,
            "8\n-102,\"Syntax error\";-104,\"Data type error\";-108,\"Parameter not allowed\";"
            "-109,\"Missing parameter\";-113,\"Undefined header\";-131,\"Invalid suffix\";"
            "-222,\"Data out of range\";-224,\"Illegal parameter value;no sensor PT200; offered: "
            "PT100, PT500, PT1000, NI1000, NTC\";0,\"No error\";"
            "0,\"No error\"\n",
            "");
        row("link failure", "RES 100;*ESR?\nSYST:ERR?",
            "16\n-240,\"Hardware error;COM3 (/dev/ttyUSB0): no such device\"\n", "", true);
        // Twenty errors fill the queue; the last place then tells of the overflow.
        QTest::newRow("queue overflow keeps the oldest")
            << QString("X\n").repeated(21) + "SYST:ERR:COUN?\n" +
                   QString("SYST:ERR?\n").repeated(20) + "*CLS;SYST:ERR:COUN?"
            << false
            << "20\n" + QByteArray("-113,\"Undefined header\"\n").repeated(19) +
                   "-350,\"Queue overflow\"\n0\n"
            << QByteArray();

        // Status registers: CME (32) reaches the status byte through *ESE,
        // then MSS through *SRE; *ESR? clears the register.
        row("status registers",
            "*ESE 36;*SRE 32;*ESE?;*SRE?\nFOO\n*STB?\n*ESR?;*ESR?\n*OPC;*ESR?;*OPC?;*TST?",
            "36;32\n100\n32;0\n1;1;0\n", "");
        row("register masks", "*ESE 256\n*ESE #H1F;*ESE?\nSYST:ERR?",
            "31\n-222,\"Data out of range\"\n", "");
        row("reset", "RES 5;TEMP:SENS NTC;UNIT:TEMP F;*RST;RES?;TEMP:SENS?;UNIT:TEMP?",
            "10000.0;PT100;C\n", "00005.0\r10000\r");
        row("versions", "SYST:VERS?;*WAI", "1999.0\n", "");

        // Sensors of the shared models: Pt100/500/1000 at 100 °C, the β
        // thermistor at 25 °C, units and suffixes.
        row("platinum sensors",
            "TEMP 100;TEMP:SENS PT500;TEMP 100;TEMP:SENS PT1000;TEMP 100;TEMP:SENS?;TEMP?",
            "PT1000;100\n", "00138.5\r00692.5\r01385.1\r");
        row("nickel sensor: DIN 43760, -60 to 180 degrees C",
            "TEMP:SENS NI1000;TEMP 100;TEMP:SENS?;TEMP? MIN;TEMP? MAX;TEMP 181;SYST:ERR?",
            "NI1000;-60;180;-222,\"Data out of range\"\n", "01617.8\r");
        row("thermistor", "TEMP:SENS NTC;NTC:R25 4.7 KOHM;:TEMP 25;TEMP? MAX", "1000\n",
            "04700.0\r");
        // After UNIT:TEMP, "TEMP 212" would mean UNIT:TEMP: a ':' goes back to the root.
        row("units and suffixes",
            "UNIT:TEMP F;:TEMP 212;TEMP?;:UNIT:TEMP K;:TEMP?;TEMP 0 CEL;:UNIT:TEMP?",
            "212;373.15;K\n", "00138.5\r00100.0\r");
        row("a suffix that is no temperature unit", "TEMP 100 VOLT\nSYST:ERR?;TEMP?",
            "-131,\"Invalid suffix\";9.91E+37\n", "");
        row("out of the sensor's range", "TEMP MIN;TEMP 850.1\nSYST:ERR?;RES 7;TEMP?",
            "-222,\"Data out of range\";9.91E+37\n", "00018.5\r00007.0\r");
    }
    void lines() {
        QFETCH(QString, lines);
        QFETCH(bool, linkFails);
        RecordingLink link;
        link.failing = linkFails;
        scpi::Instrument instrument(link);
        scpi::Session session(instrument);
        QByteArray answers;
        for (const QString &line : lines.split('\n'))
            answers += QByteArray::fromStdString(session.execute(line.toStdString()));
        QTEST(answers, "answers");
        QTEST(link.wire, "wire");
    }

    // Numeric parameters as IEEE 488.2 writes them: the frame sent for
    // RES <text>, or the error it gives.
    void numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("result");
        const auto row = [](const char *text, const char *result) {
            QTest::newRow(text) << text << QByteArray(result);
        };
        row(".5", "00000.5\r");
        row("+12.", "00012.0\r");
        row("-.0", "00000.0\r");
        row("1.2345E+3 OHM", "01234.5\r");
        row("12e-1kohm", "01200.0\r");
        row("#H1F", "00031.0\r");
        row("#q17", "00015.0\r");
        row("#B101", "00005.0\r");
        row("maximum", "99999.9\r");
        row("1e999", "-222");  // beyond a double: out of range, never a crash
        row("1e-999", "00000.0\r");
        row("1 e 2", "00100.0\r");
        row("1E- 5", "-102");  // no digits after the sign: "E- 5" is no suffix
        row("1e", "-131");     // a letter alone is a suffix
        // Past the digits a double can need, only whether any is non-zero counts.
        row(("1" + std::string(800, '0') + "e-800").c_str(), "00001.0\r");
        row(("0." + std::string(800, '0') + "5e802").c_str(), "00050.0\r");
        row("#H1G", "-102");
        row("1.2.3", "-102");
        row("E5", "-104");
        row("\"5\"", "-104");
        row("5 OHMS", "-131");
        row("0.05 mohm", "50000.0\r");  // mega-ohm: SCPI reads M before OHM as mega
    }
    void numbers() {
        QFETCH(QString, text);
        QFETCH(QByteArray, result);
        RecordingLink link;
        scpi::Instrument instrument(link);
        scpi::Session session(instrument);
        session.execute("RES " + text.toStdString());
        const QByteArray error = QByteArray::fromStdString(session.execute("SYST:ERR?"));
        if (result.endsWith('\r')) {
            QCOMPARE(link.wire, result);
            QCOMPARE(error, QByteArray("0,\"No error\"\n"));
        } else {
            QCOMPARE(link.wire, QByteArray());
            QVERIFY2(error.startsWith(result + ","), error);
        }
    }

    // Lines a server answers at once, beside the link's work: carrying one
    // out must not call the link at all. Every common query the table marks
    // so is a row of its own.
    void quickLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("quick");
        for (const scpi::CommonEntry &entry : scpi::commonTable())
            if (entry.queryWithoutTheBox)
                QTest::addRow("*%s?", std::string(entry.name).c_str())
                    << "*" + QString::fromStdString(std::string(entry.name)) + "?" << true;
        for (const char *line :
             {"*ese?;*sre?", "SYSTEM:VERSION?", " :syst:err:next? ", "SYST:FOO?", "SYST:ERR:COUN?"})
            QTest::newRow(line) << QString(line) << true;
        for (const char *line : {"*TST?", "*ESE 5", "*ESE? 5", "UNIT:TEMP?;*IDN?", "TEMP:SENS?",
                                 "RES?", "*IDN?;RES?", "FOO?", "SYST:ERR?;COUN?"})
            QTest::newRow(line) << QString(line) << false;
    }
    void quickLines() {
        QFETCH(QString, line);
        QFETCH(bool, quick);
        QCOMPARE(scpi::answeredWithoutTheBox(line.toStdString()), quick);
        if (!quick) return;
        RecordingLink link;
        scpi::Instrument instrument(link);
        scpi::Session session(instrument);
        session.execute(line.toStdString());
        QCOMPARE(link.calls, 0);
    }

    // Chunks as they arrive; "|" marks a chunk boundary. A line longer than
    // 64 KiB is reported once and the connection goes on with the next line.
    void lineSplitting_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("lines");
        const QByteArray longest(scpi::kMaxLine, 'x');
        QTest::newRow("LF and CR LF")
            << QByteArray("RES 1\r\nRES?\n") << QStringList{"RES 1", "RES?"};
        QTest::newRow("split anywhere")
            << QByteArray("R|ES 1\r|\n*ID|N?\n|*CLS") << QStringList{"RES 1", "*IDN?"};
        QTest::newRow("64 KiB whole") << longest + "\r\n" << QStringList{QString(longest)};
        QTest::newRow("one byte more") << longest + "y|" + longest + "\n*IDN?\n"
                                       << QStringList{"<overrun>", "*IDN?"};
    }
    void lineSplitting() {
        QFETCH(QByteArray, input);
        scpi::LineSplitter splitter;
        QStringList lines;
        for (const QByteArray &chunk : input.split('|'))
            for (const auto &line : splitter.feed(chunk.toStdString()))
                lines << (line.overrun ? QString("<overrun>") : QString::fromStdString(line.text));
        QTEST(lines, "lines");
        QVERIFY(splitter.pending() <= scpi::kMaxLine + 1);
    }
};

QTEST_APPLESS_MAIN(tst_ScpiSession)
#include "tst_scpi_session.moc"
