#pragma once
#include <string>
#include <vector>

namespace k4dl {

struct DownloadOptions {
    std::string output;    // typed into the save dialog's "Save As"
    std::string keepImage; // where to keep the raw downloaded image, if anywhere
    bool traceBridges = false;
    bool traceFrames = false;
    bool help = false;
};

// Reads the command line (without the program name). False with `error`
// set when an option is unknown, lacks its value, or --output is missing.
bool ParseDownloadOptions(const std::vector<std::string>& args, DownloadOptions& options, std::string& error);

std::string DownloadUsage();

} // namespace k4dl
