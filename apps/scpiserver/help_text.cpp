#include "help_text.h"

#include "box/range.h"
#include "box/sensor_catalogue.h"
#include "net/slot_rule.h"
#include "program/version_banner.h"
#include "server/scpi_server.h"
#include "server/vxi11_server.h"
#include "web/web_server.h"

#include <cctype>

namespace zz::scpiserver {

namespace {

// "PT100|PT500|PT1000|NI1000": the catalogue's names as TEMP:SENS takes them.
std::string sensorChoices() {
    std::string names = box::sensorTypeList("|", "|");
    for (char &c : names) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return names;
}

}  // namespace

std::string helpText() {
    return R"(Usage: 6175ZIZ-scpi [--port N | --device PATH] [--listen ADDR:PORT]
                    [--http ADDR:PORT|off] [--allow ADDR[/BITS],...]
                    [--http-token TEXT|off] [--no-vxi11] [--no-announce]
                    [--name TEXT]
Make the 6175 box a network instrument: SCPI commands on a raw TCP socket
(VISA resource TCPIP::<host>::5025::SOCKET), each carried out on the box's
serial link, and its front panel as a web page (http://127.0.0.1:8080/).
Commands end with LF; answers end with LF. Also a VXI-11 instrument
(TCPIP::<host>::INSTR, lxi scpi -a <host>), found through the portmapper
on port 111, and announced over DNS-SD when not on the loopback only.

Port:
      --port N            the port N of the port map (as the panel uses it)
      --device PATH       a serial device used directly
                          (default: the port in ./Settings.txt)
Network:
      --listen ADDR:PORT  where to listen (default 127.0.0.1:5025; port 0
                          takes any free port). SCPI over raw TCP has no
                          authentication: without --allow, anyone who can
                          reach a non-loopback address can set the box.
      --http ADDR:PORT    where to serve the front panel page (default
                          127.0.0.1:8080; off: no page)
      --allow LIST        only these addresses and networks may connect,
                          to SCPI, VXI-11, the portmapper and the page alike
                          (10.0.0.5,192.168.1.0/24); others are refused
                          before a byte is read (default: the loopback only
                          when listening there, else anyone)
      --http-token TEXT   the token the page asks for beyond the loopback
                          (default: a new random one each start, printed
                          once with the page's address; off: none)
      --no-vxi11          no VXI-11 core channel and no portmapper (port
                          111 needs root or CAP_NET_BIND_SERVICE; without
                          it VXI-11 is off and the rest goes on)
      --no-announce       no DNS-SD announcement (avahi-daemon)
      --name TEXT         the DNS-SD instance name (default: 6175
                          resistance box on COM<N> (<host>))
  -h, --help              display this help and exit
      --version           output version information and exit

Commands (long or short form, any case, [optional] nodes may be left out):
  [SOURce:]RESistance[:LEVel] <ohms>|MIN|MAX|DEF   )" +
           box::limitText(box::kMinOhms) + " to " + box::limitText(box::kMaxOhms) +
           R"(, rounded to
        )" +
           box::limitText(box::kResolutionOhms) +
           R"( ohm; suffixes OHM, KOHM, MOHM (mega-ohm): RES 1.2 KOHM
  RESistance? [MIN|MAX|DEF]   MIN and MAX: the limits of the box's profile
  RESistance:MODE NOMinal|TRUE   TRUE: the digits whose measured sum by the
        profile's correction table comes nearest (-221 without a table);
        RES? then answers that sum. NOM (the default) sends the digits asked
  RESistance:FAULt SHORt|OPEN   00000.0, or 99999.9: the box's highest value,
        as near as it comes to an open circuit (it has no true open)
  TEMPerature:BURNout LOW|HIGH   the sensor's failed value: 10 % beyond its
        resistance at the low or high end of its range
  [SOURce:]TEMPerature[:LEVel] <t>|MIN|MAX   the sensor's resistance at t,
        less the profile's lead offset; t in the unit of UNIT:TEMPerature,
        or with a suffix CEL, FAR, K; MIN and MAX inside the profile's limits
  TEMPerature:SENSor )" +
           sensorChoices() + R"(|NTC   (IEC 60751, DIN 43760;
        NTC: R25 and beta), or a sensor of the box's profile by its name
  TEMPerature:NTC:R25 <ohms>   TEMPerature:NTC:BETA <kelvin>
  UNIT:TEMPerature C|F|K
  TEMPerature:SLEW <rate>|INFinity   later TEMP settings ramp there at this
        many degrees of UNIT:TEMPerature a minute, on the server's own
        timetable, and return at once (INF, the default: at once)
  RESistance:SLEW <ohm/s>|INFinity   the same for RES settings
  TEMPerature:SLEW:STATe?  RESistance:SLEW:STATe?   RAMP while a slew or a
        program moves the box, SETT once it holds still; *OPC? and *WAI wait
        for that (a VXI-11 device_read up to its io_timeout)
  PROGram:DEFine "<lines>"   a temperature program, its lines separated by
        ';' (sensor pt100; start 20C; ramp 120C 5K/min; soak 10min; step 80C;
        repeat 3 {; ...; }), checked whole; without a sensor line the values
        are resistances (ramp 10k 50ohm/s)
  PROGram:RUN  PROGram:STOP  PROGram:STATe? (RUN|STOP)  PROGram:STEP?
        STOP also stops a slew; a setting at once, *RST or a device clear
        stop a run too
  SYSTem:ERRor[:NEXT]?  SYSTem:ERRor:COUNt?  SYSTem:VERSion?
  *IDN? *RST *CLS *ESE *ESE? *ESR? *OPC *OPC? *SRE *SRE? *STB? *TST? *WAI
Each query also has its ? form; a link failure is error -240 with the reason.

The box cannot be read back: RES? answers the value last sent to it whole
(by this server or another program of ours, from the device's last-command
record), and TEMP? the temperature of that value while the box still holds
it; 9.91E+37 when it is not known. *RST sets the settings back (MODE NOM)
and sends the start command 10000 when the profile's limits allow it (else
-222 and nothing is sent).

The box's profile (boxes/com<N>.toml in the configuration folder, as
6175ZIZ-ctl reads it) is read at start and again whenever it changes. A value
outside its limits is -222 ("above the limit 2000.0 ohm of this box's
profile") and nothing is sent; while the profile is refused every setting is
-200 with the file, line and reason, and nothing is sent. *IDN?, the LXI
identification and DNS-SD give its serial number.

Sensor, unit, NTC and MODE settings are shared by all clients; each client has its
own error queue and status registers (so has each VXI-11 link). Up to )" +
           std::to_string(server::kMaxClients) + R"(
clients, )" +
           std::to_string(server::kMaxVxi11Links) + " VXI-11 links and " +
           std::to_string(web::kMaxPages) + R"( pages at once; when all clients (or pages)
are taken, the one silent for )" +
           net::durationText(net::kDefaultIdleLimit) + R"( or longer makes room.

SIGTERM or Ctrl+C finishes the line of commands in progress, closes the
connections and exits with status 0. Exit status 1: cannot listen; 2: usage error.
)";
}

std::string versionText() {
    return program::versionBanner("6175ZIZ-scpi");
}

}  // namespace zz::scpiserver
