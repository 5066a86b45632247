// The box's profile as a SCPI connection meets it, without a network: what
// the limits, a refused profile, true mode and the lead offset let through to
// the box (the exact commands sent), and what the queries answer.

#include "common/version.h"
#include "profile/box_rules.h"
#include "profile/profile_reader.h"
#include "scpi/session.h"
#include "support/recording_link.h"

#include <QtTest>

#include <map>

using namespace zz;

namespace {

using test::RecordingLink;

constexpr char kTable[] = R"(
[table]
zero = 0.012
due = 2027-01-10
decade_0_1 = [0.101, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9]
decade_1 = [1, 2, 3, 4, 5, 6, 7, 8, 9]
decade_10 = [10, 20, 30, 40, 50, 60, 70, 80, 90]
decade_100 = [100.02, 200, 300, 400, 500, 600, 700, 800, 899.93]
decade_1000 = [1000.3, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000]
decade_10000 = [10000, 20000, 30000, 40000, 50000, 60000, 70000, 80000, 90000]
)";

// The profiles the rows use, by name; "none" is no file.
profile::BoxRules rulesNamed(const QString &name) {
    std::string shortSteps = kTable;
    shortSteps.replace(shortSteps.find("1000.3, 2000"), 12, "999.9, 1999.9");
    shortSteps.replace(shortSteps.find("90000]"), 6, "90010]");
    const std::map<QString, std::string> texts{
        {"limits", "serial = \"A12345\"\nname = \"Bench 3\"\n[limits]\nmin = 10\nmax = 2000\n"},
        {"change", "[limits]\nmax_change = 500\n"},
        {"table", "serial = \"A,1;2\"\nlead_offset = 0.35\n[limits]\nmin = 10\nmax = 2000\n" +
                      std::string(kTable)},
        {"narrow", "lead_offset = 0.35\n[limits]\nmax = 200\n"},
        {"low", "[limits]\nmax = 100\n"},
        {"sensors",
         "[sensors.Probe7]\nkind = \"rtd\"\n"
         "rows = [[-50, 80.31], [0, 100.0], [50, 119.4], [100, 138.51]]\n"},
        {"broken", "serial = \"B7\"\n[limits]\nmin = 3000\nmax = 2000\n"},
        {"other rows", "[sensors.probe7]\nkind = \"rtd\"\nrows = [[0, 100.0], [50, 120.0]]\n"},
        // 1 kΩ steps 0.1 Ω short: true 2000 lies nearest 02000.1, above
        // max; the top 10 kΩ step 10 Ω long: true 99999.9 nearest 99989.9.
        {"short steps", "[limits]\nmax = 2000\n" + shortSteps},
        {"long top", shortSteps},
    };
    if (name == "none") return {};
    const auto read = profile::readProfile(texts.at(name), "com3.toml");
    if (!read) return profile::BoxRules::fromLoaded(read.status());
    return profile::BoxRules::fromLoaded(std::optional(read.value()));
}

QByteArray idn(const char *serial) {
    return QByteArray("Quellor Ltd,6175,") + serial + "," + common::kVersion;
}

}  // namespace

class tst_ScpiProfile : public QObject {
    Q_OBJECT

private slots:
    // Each "\n"-separated line is carried out in turn under the profile
    // named; a line "@name" puts another profile in its place, as the
    // server does when the file changes. `answers` is all that came back,
    // `wire` all that reached the box.
    void lines_data() {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<QByteArray>("wire");
        const auto row = [](const char *name, const char *profile, const char *lines,
                            const QByteArray &answers, const char *wire) {
            QTest::newRow(name) << profile << lines << answers << QByteArray(wire);
        };
        const QByteArray above2000 =
            "-222,\"Data out of range;above the limit 2000.0 ohm of this box's profile\"";

        row("above the limit", "limits", "RES 2100\nSYST:ERR?", above2000 + "\n", "");
        row("below the limit", "limits", "RES 9.9\nSYST:ERR?;RES 10;RES?",
            "-222,\"Data out of range;below the limit 10.0 ohm of this box's profile\";10.0\n",
            "00010.0\r");
        row("kilo-ohms above the limit", "limits", "RES 2.01 KOHM\nSYST:ERR?", above2000 + "\n",
            "");
        row("MIN and MAX are the limits", "limits",
            "RES? MAX;RES? MIN;RES? DEF\nRES MAX;RES?;RES MIN;RES?\nRES DEF\nSYST:ERR?",
            "2000.0;10.0;10000.0\n2000.0;10.0\n" + above2000 + "\n", "02000.0\r00010.0\r");
        row("a change too large, then one allowed", "change",
            "RES 1000;RES 1600;RES 1500\nSYST:ERR?",
            "-222,\"Data out of range;a change of 600.0 ohm from 1000.0 ohm, above the limit "
            "500.0 ohm per command of this box's profile\"\n",
            "01000.0\r01500.0\r");
        row("*RST outside the limits sends nothing, but resets", "limits",
            "TEMP:SENS NTC;RES 100;*RST\nSYST:ERR?;TEMP:SENS?;RES?",
            "-222,\"Data out of range;10000: above the limit 2000.0 ohm of this box's "
            "profile\";PT100;100.0\n",
            "00100.0\r");
        row("a sensor of the profile, by name in any case, until *RST", "sensors",
            "TEMP:SENS probe7;TEMP:SENS?;TEMP 25;TEMP? MAX\nTEMP 101\nSYST:ERR?\n*RST;TEMP:SENS?",
            "PROBE7;100\n-222,\"Data out of range\"\nPT100\n", "00109.7\r10000\r");
        row("faults: short, open and burnout, held to the limits", "limits",
            "RES:FAUL SHOR\nSYST:ERR?\nRES:FAUL OPEN\nSYST:ERR?\nTEMP:BURN LOW;RES?",
            "-222,\"Data out of range;below the limit 10.0 ohm of this box's profile\"\n" +
                above2000 + "\n" + "16.7\n",
            "00016.7\r");
        row("faults without a profile", "none", "RES:FAUL SHORT;RES:FAUL OPEN;TEMP:BURN HIGH", "",
            "00000.0\r99999.9\r00429.5\r");
        row("*RST inside the limits", "change", "RES 9600;*RST;SYST:ERR?", "0,\"No error\"\n",
            "09600.0\r10000\r");
        row("*RST a change too large", "change", "RES 100;*RST;SYST:ERR?",
            "-222,\"Data out of range;10000: a change of 9900.0 ohm from 100.0 ohm, above the "
            "limit 500.0 ohm per command of this box's profile\"\n",
            "00100.0\r");
        row("a refused profile sends nothing at all", "broken",
            "RES 100\nTEMP 20\n*RST\nRES:MODE TRUE\nRES MIN\n*ESR?;SYST:ERR:COUN?;SYST:ERR?\n*IDN?",
            "16;5;-200,\"Execution error;the profile com3.toml:3: limits.min 3000.0 is above "
            "limits.max 2000.0; nothing is sent to this port until it is mended\"\n" +
                idn("0") + "\n",
            "");
        row("TRUE needs a table", "limits", "RES:MODE TRUE\nSYST:ERR?;RES:MODE?",
            "-221,\"Settings conflict;TRUE needs a correction table ([table]) in the box's "
            "profile\";NOM\n",
            "");
        row("TRUE without any profile", "none", "SOUR:RES:MODE TRUE\nSYST:ERR?;RES 5",
            "-221,\"Settings conflict;TRUE needs a correction table ([table]) in the box's "
            "profile\"\n",
            "00005.0\r");
        row("TRUE sends the table's nearest digits", "table",
            "RES:MODE TRUE;RES 1000;RES 1500;RES:MODE?;RES?\nSOURCE:RESISTANCE:MODE NOMINAL;RES "
            "1000;RES?;RES:MODE?",
            "TRUE;1500.012\n1000.0;NOM\n", "00999.9\r01499.7\r01000.0\r");
        row("TRUE inside the limits only", "table", "RES:MODE TRUE;RES 2000\nSYST:ERR?",
            "0,\"No error\"\n", "02000.0\r");
        row("a mode that does not exist", "table", "RES:MODE REAL\nSYST:ERR?;RES:MODE?",
            "-224,\"Illegal parameter value\";NOM\n", "");
        row("*RST goes back to NOM", "table", "RES:MODE TRUE;*RST;RES:MODE?", "NOM\n", "");
        row("sensor values lose the lead offset; true mode aims at the sensor", "table",
            "TEMP 100;TEMP?\nRES 100\nRES:MODE TRUE;TEMP 100;TEMP?", "100\n100\n",
            "00138.2\r00100.0\r00138.1\r");
        row("TEMP MIN and MAX inside the limits", "narrow",
            "TEMP? MAX;TEMP? MIN;TEMP MAX;TEMP 300\nSYST:ERR?",
            "267.3204;-200\n-222,\"Data out of range;above the limit 200.0 ohm of this box's "
            "profile\"\n",
            "00200.0\r");
        row("a thermistor's MIN and MAX inside the limits", "limits",
            "TEMP:SENS NTC;TEMP? MIN;TEMP? MAX;TEMP MIN;TEMP MAX", "66.2284;349.8185\n",
            "02000.0\r00010.0\r");
        row("no temperature of the sensor inside the limits", "limits",
            "TEMP:SENS PT1000;:TEMP? MAX;:TEMP:SENS PT100;:TEMP? MAX\n@low\n"
            "TEMP? MIN;TEMP? MAX;TEMP MAX\nTEMP:SENS PT1000;:TEMP? MAX;:TEMP MAX;:SYST:ERR?",
            "266.3482;850\n-200;0\n9.91E+37;-222,\"Data out of range\"\n", "00100.0\r");
        // Digits meant as they are go as they are in true mode too.
        row("true mode: MAX is the limit's digits", "short steps",
            "RES:MODE TRUE;RES 2000\nSYST:ERR?\nRES MAX", above2000 + "\n", "02000.0\r");
        row("true mode: OPEN and SHORT are their digits", "long top",
            "RES:MODE TRUE;RES:FAUL OPEN;RES:FAUL SHORT", "", "99999.9\r00000.0\r");
        row("a burnout value loses the lead offset", "table", "TEMP:BURN LOW", "", "00016.3\r");
        row("a chosen sensor follows its profile, and is refused once gone", "sensors",
            "TEMP:SENS PROBE7;TEMP 25\n@other rows\nTEMP 25\n@limits\nTEMP 25\nTEMP:BURN "
            "LOW\nSYST:ERR?;SYST:ERR?;TEMP:SENS?\nTEMP:SENS PT100;TEMP 0",
            "-221,\"Settings conflict;the sensor probe7 is no longer in the box's profile: "
            "choose one with TEMPerature:SENSor\";-221,\"Settings conflict;the sensor probe7 is "
            "no longer in the box's profile: choose one with TEMPerature:SENSor\";PROBE7\n",
            "00109.7\r00110.0\r00100.0\r");
        row("an unknown sensor is answered with the names offered", "sensors",
            "TEMP:SENS PT2\nSYST:ERR?",
            "-224,\"Illegal parameter value;no sensor PT2; offered: PT100, PT500, PT1000, "
            "NI1000, NTC, PROBE7\"\n",
            "");
        row("the serial number", "limits", "*IDN?", idn("A12345") + "\n", "");
        row("a serial number cannot add fields", "table", "*IDN?", idn("A 1 2") + "\n", "");
        row("the profile changed while serving", "limits",
            "RES 2100\n@none\nRES 2100\n*IDN?\n@broken\nRES 5\n@table\nRES:MODE TRUE;RES "
            "1000\n@limits\nRES 1000\n*RST;RES:MODE?\nSYST:ERR:COUN?;SYST:ERR?;SYST:ERR?;SYST:"
            "ERR?;SYST:ERR?",
            idn("0") + "\nNOM\n4;" + above2000 +
                ";-200,\"Execution error;the profile com3.toml:3: limits.min 3000.0 is above "
                "limits.max 2000.0; nothing is sent to this port until it is mended\";-221,"
                "\"Settings conflict;true values need a correction table ([table]) in the box's "
                "profile\";-222,\"Data out of range;10000: above the limit 2000.0 ohm of this "
                "box's profile\"\n",
            "02100.0\r00999.9\r");
    }
    void lines() {
        QFETCH(QString, profile);
        QFETCH(QString, lines);
        RecordingLink link;
        scpi::Instrument instrument(link);
        instrument.setRules(rulesNamed(profile));
        scpi::Session session(instrument);
        QByteArray answers;
        for (const QString &line : lines.split('\n')) {
            if (line.startsWith('@'))
                instrument.setRules(rulesNamed(line.mid(1)));
            else
                answers += QByteArray::fromStdString(session.execute(line.toStdString()));
        }
        QTEST(answers, "answers");
        QTEST(link.wire, "wire");
    }
};

QTEST_APPLESS_MAIN(tst_ScpiProfile)
#include "tst_scpi_profile.moc"
