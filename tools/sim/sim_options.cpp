// Parsing and help text of ktr-sim's command line.
#include "tools/sim/sim_options.h"
#include "tools/parse_number.h"

#include <charconv>
#include <functional>
#include <map>

#include "ops/mac_text.h"

namespace ktr {
namespace {

constexpr std::size_t kMaxDevices = 100000;
constexpr long kMaxMilliseconds = 600000;

} // namespace

ParsedSimOptions ParseSimOptions(const std::vector<std::string_view> &args)
{
    SimOptions o;
    FleetOptions &f = o.fleet;
    bool delayGiven = false;
    bool delayMsGiven = false;
    using Setter = std::function<bool(std::string_view)>;
    const auto setSet = [](DeviceSet &set) {
        return Setter([&set](std::string_view v) {
            const auto parsed = DeviceSet::parse(v);
            if (parsed)
                set = *parsed;
            return parsed.has_value();
        });
    };
    const auto setMs = [](std::chrono::milliseconds &ms, bool *given = nullptr) {
        return Setter([&ms, given](std::string_view v) {
            const auto n = ParseNumber<long>(v, 0, kMaxMilliseconds);
            if (n)
                ms = std::chrono::milliseconds(*n);
            if (given)
                *given = true;
            return n.has_value();
        });
    };
    const std::map<std::string_view, Setter> withValue{
        {"--devices",
         [&](std::string_view v) {
             const auto n = ParseNumber<std::size_t>(v, 1, kMaxDevices);
             f.devices = n.value_or(0);
             return n.has_value();
         }},
        {"--ip",
         [&](std::string_view v) {
             const auto ip = ParseIpv4(v);
             f.firstIp = ip.value_or(0);
             return ip.has_value();
         }},
        {"--mac",
         [&](std::string_view v) {
             const auto mac = v.size() == 17 ? ParseMacDashed(v) : std::nullopt;
             f.firstMac = mac.value_or(MacAddress{});
             return mac.has_value();
         }},
        {"--firmware",
         [&](std::string_view v) {
             const auto n = ParseNumber<std::uint16_t>(v, 0, 0xFFFF);
             f.firmware = n.value_or(0);
             return n.has_value();
         }},
        {"--restart-ms", setMs(f.restart)},
        {"--unicast-every",
         [&](std::string_view v) {
             const auto n = ParseNumber<std::size_t>(v, 1, kMaxDevices);
             f.unicast = DeviceSet::everyNth(n.value_or(1));
             return n.has_value();
         }},
        {"--unicast-devices", setSet(f.unicast)},
        {"--drop", setSet(f.drop)},
        {"--delay",
         [&](std::string_view v) {
             delayGiven = true;
             return setSet(f.delay)(v);
         }},
        {"--delay-ms", setMs(f.delayBy, &delayMsGiven)},
        {"--duplicate", setSet(f.duplicate)},
        {"--bad-crc", setSet(f.badCrc)},
        {"--short-reply", setSet(f.shortReply)},
        {"--wrong-mac", setSet(f.wrongMac)},
        {"--ignore-writes", setSet(f.ignoreWrites)},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            continue;
        }
        if (arg == "--version") {
            o.version = true;
            continue;
        }
        if (arg == "--unicast") {
            f.unicast = DeviceSet::all();
            continue;
        }
        if (arg == "--quiet") {
            o.quiet = true;
            continue;
        }
        const auto it = withValue.find(arg);
        if (it == withValue.end())
            return Fail("unknown option " + std::string(arg));
        if (i + 1 >= args.size())
            return Fail(std::string(arg) + " needs a value");
        const std::string_view value = args[++i];
        if (!it->second(value))
            return Fail("bad value for " + std::string(arg) + ": " + std::string(value));
    }
    if (delayMsGiven && !delayGiven)
        f.delay = DeviceSet::all();
    const std::uint64_t lastIp = std::uint64_t{f.firstIp} + f.devices - 1;
    if (lastIp > 0xFFFFFFFFu)
        return Fail("--ip: the devices' addresses run past 255.255.255.255");
    if (OffsetMac(f.firstMac, f.devices - 1) < f.firstMac)
        return Fail("--mac: the devices' MAC addresses run past FF-FF-FF-FF-FF-FF");
    return o;
}

std::string SimHelpText()
{
    return R"(Usage: ktr-sim [options]
Simulates KTR-4410-HT-LAN devices on UDP port 1901. Receives on 0.0.0.0:1901 and answers
from the address of the interface each request came in on; a device's IP lives in its
replies only. Prints "ready" once listening, then one line per device and handled request,
written once the replies have left and no request is waiting. SIGINT or SIGTERM end it
with exit code 0.

Devices (device k counts from 0):
  --devices N          number of devices, 1 to 100000 (default 1)
  --ip A.B.C.D         IP of device 0; device k has this address + k (default 192.168.0.10)
  --mac XX-XX-XX-XX-XX-XX
                       MAC of device 0; device k has this MAC + k, counted in the last
                       bytes (default 00-0E-EB-00-00-01)
  --firmware N         firmware version of every device, 0 to 65535 (default 288)
  --restart-ms MS      after a settings write, a factory reset or a MAC change the device
                       restarts: it ignores every request for MS ms (default 1500)

Replies:
  --unicast            every device answers the requester's address, port 1901
                       (default: broadcast to 255.255.255.255:1901)
  --unicast-every K    device k answers by unicast when k % K == 0, the others broadcast
  --unicast-devices SET  the devices of SET answer by unicast

Misbehaviour, each for a SET of devices:
  --drop SET           replies are lost (the request still takes effect)
  --delay SET          replies leave --delay-ms after the request
  --delay-ms MS        the delay (default 1000); given alone it delays every device
  --duplicate SET      every reply is sent twice
  --bad-crc SET        tunnel replies carry a broken CRC
  --short-reply SET    replies are cut to a third of their length
  --wrong-mac SET      replies carry the device's MAC with its last octet inverted
  --ignore-writes SET  settings writes, factory resets, MAC changes and device-settings
                       writes are dropped: no acknowledgement, no restart, settings kept

SET: "all", an index "3", a list with ranges "0,2,5-9", or "%K" for every device k with
k % K == 0.

Factory settings of device k:
  network: static IP mode (0x80) with its own IP, mask 255.255.255.0, gateway x.y.z.1,
           bytes 13-18 = 4B 54 52 01 02 03, max connections 8, server n (1-8): local port
           and target port 1999 + n, target address 192.168.0.166
  device:  servers 2, terminal address 0a0b0c0d, login 30 s, heartbeat 120 s, report 300 s,
           work mode 1 (Modbus sensor), 9600 baud, 8 data bits, parity 2 (even), 1 stop bit,
           2 Modbus terminals, channel addresses 11-18, every channel: temperature limits
           50.0 / -10.0, humidity limits 90.0 / 10.0
A search reply carries the static IP of the network settings when static mode is set,
otherwise the device's own IP. A factory reset keeps the MAC.

Output:
  --quiet              instead of the lines per request, one line per busy spell:
                       "summary: R requests, S replies sent[, F not sent]"
  --version            the version
  -h, --help           this text
)";
}

} // namespace ktr
