#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/k4-sim/device_session.h"

namespace k4sim {

struct SimOptions {
    std::string bridgeDir; // default: $K4_BRIDGE_DIR
    std::string name;      // bridge file name without ".bridge"; default k4-sim-<pid>
    std::uint16_t vid = 0x10c4;
    std::uint16_t pid = 0xea60;
    std::string imageFile;           // default: the built-in sample image
    int syntheticRecords = -1;       // >= 0: a synthetic image of that many records
    std::string dumpImage;           // write the image that would be served, then end
    bool allowOversizeImage = false; // serve an image file larger than the computer's buffer
    std::string frameLog;            // "-" for standard error
    bool paced = true;
    bool help = false;
    UnitSettings unit;
};

// Reads the command line (without the program name). False with `error`
// set on an unknown option or a value out of range.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

std::string SimUsage();

} // namespace k4sim
