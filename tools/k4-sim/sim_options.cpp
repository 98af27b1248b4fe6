#include "tools/k4-sim/sim_options.h"

#include <charconv>
#include <functional>
#include <map>

#include "platform/bridge_file.h"

namespace k4sim {

namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && value >= low && value <= high;
}

template <typename T>
std::function<bool(const std::string&)> Number(T& target, long long low, long long high)
{
    return [&target, low, high](const std::string& text) {
        long long value = 0;
        if (!ParseNumber(text, low, high, value))
            return false;
        target = static_cast<T>(value);
        return true;
    };
}

std::function<bool(const std::string&)> Identifier(std::uint16_t& target)
{
    return [&target](const std::string& text) {
        const std::optional<std::uint16_t> value = k4::ParseUsbIdentifier(text);
        if (value)
            target = *value;
        return value.has_value();
    };
}

std::function<bool(const std::string&)> Text(std::string& target)
{
    return [&target](const std::string& text) {
        target = text;
        return true;
    };
}

} // namespace

std::string SimUsage()
{
    return "usage: k4-sim [options]\n"
           "Simulates the K4 download unit on a pseudo-terminal announced as a bridge\n"
           "file in K4_BRIDGE_DIR; runs until interrupted.\n"
           "  --bridge-dir DIR       folder of bridge files (default: $K4_BRIDGE_DIR)\n"
           "  --name NAME            bridge file NAME.bridge (default: k4-sim-<pid>)\n"
           "  --vid HEX --pid HEX    identifiers (default: 10c4 ea60)\n"
           "  --image FILE           serve this image instead of the built-in sample\n"
           "  --allow-oversize-image serve an image FILE larger than the computer's 40960-byte buffer\n"
           "  --synthetic N          serve a synthetic image of N records\n"
           "  --dump-image FILE      write the image that would be served, then end\n"
           "  --firmware TEXT        firmware version text (default: V2.10)\n"
           "  --file-count N         file count reply, 0..255 (default: 1)\n"
           "  --status N             status byte of the firmware and file-count replies (default: 0)\n"
           "  --frame-size N         data bytes per download frame, 1..507 (default: 256)\n"
           "  --unpaced              send as fast as possible instead of at 128000 baud\n"
           "  --corrupt-frame N      corrupt download frame N (counted from 1, end frame included)\n"
           "  --corrupt-count K      ... in K transmissions in a row (default: 1)\n"
           "  --drop-frame N         leave out the first transmission of download frame N\n"
           "  --silent-mid-frame N   stop the first transmission of download frame N halfway\n"
           "  --oversize-frame N     send download frame N first as a bare header announcing L = 511\n"
           "  --short-frame N        send download frame N first as a bare header announcing L = 2\n"
           "  --silent-after N       answer nothing after download frame N\n"
           "  --unplug-after N       unplug (close the line, remove the bridge file) after frame N\n"
           "  --unplug-on-command C  unplug when a request with code C (decimal) arrives, unanswered\n"
           "  --silent-on-command C  answer nothing from a request with code C (decimal) on\n"
           "  --log-frames FILE      log every frame received and sent (\"-\": standard error)\n";
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error)
{
    UnitSettings& unit = options.unit;
    FaultPlan& faults = unit.faults;
    const std::map<std::string, std::function<bool(const std::string&)>> valued = {
        {"--bridge-dir", Text(options.bridgeDir)},
        {"--name", Text(options.name)},
        {"--vid", Identifier(options.vid)},
        {"--pid", Identifier(options.pid)},
        {"--image", Text(options.imageFile)},
        {"--synthetic", Number(options.syntheticRecords, 0, 100000)},
        {"--dump-image", Text(options.dumpImage)},
        {"--firmware", Text(unit.firmware)},
        {"--file-count", Number(unit.fileCount, 0, 255)},
        {"--status", Number(unit.status, 0, 255)},
        {"--frame-size", Number(unit.dataPerFrame, 1, static_cast<long long>(kMaxFrameData))},
        {"--corrupt-frame", Number(faults.corruptFrame, 1, 1000000)},
        {"--corrupt-count", Number(faults.corruptCount, 1, 1000)},
        {"--drop-frame", Number(faults.dropFrame, 1, 1000000)},
        {"--silent-mid-frame", Number(faults.silentMidFrame, 1, 1000000)},
        {"--oversize-frame", Number(faults.oversizeFrame, 1, 1000000)},
        {"--short-frame", Number(faults.shortFrame, 1, 1000000)},
        {"--silent-after", Number(faults.silentAfterFrame, 1, 1000000)},
        {"--unplug-after", Number(faults.unplugAfterFrame, 1, 1000000)},
        {"--unplug-on-command", Number(faults.unplugOnCommand, 1, 255)},
        {"--silent-on-command", Number(faults.silentOnCommand, 1, 255)},
        {"--log-frames", Text(options.frameLog)},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--unpaced") {
            options.paced = false;
            continue;
        }
        if (option == "--allow-oversize-image") {
            options.allowOversizeImage = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        const auto found = valued.find(option);
        if (found == valued.end()) {
            error = "unknown option " + option;
            return false;
        }
        if (i + 1 == args.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (!found->second(value)) {
            error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    if (!options.name.empty() && options.name.find('/') != std::string::npos) {
        error = "--name must not contain '/'";
        return false;
    }
    return true;
}

} // namespace k4sim
