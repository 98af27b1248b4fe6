#include "tools/k4-download/download_options.h"

namespace k4dl {

std::string DownloadUsage()
{
    return "usage: k4-download --output BASE [--keep-image FILE] [--trace-bridges] [--trace-frames]\n"
           "Finds the K4 download unit, downloads its log and writes BASE.csv and BASE.xls.\n"
           "BASE follows the save dialog's rules: a name that is not a full path goes into\n"
           "the documents folder's \"K4 Data Folder\"; any extension is dropped.\n"
           "  --keep-image FILE   also keep the raw downloaded image (for k4-report)\n"
           "  --trace-bridges     write every bridge operation to standard error\n"
           "  --trace-frames      write every frame sent and received to standard error\n"
           "Exit status: 0 saved, 2 device not connected, 3 device empty, 1 otherwise.\n";
}

bool ParseDownloadOptions(const std::vector<std::string>& args, DownloadOptions& options, std::string& error)
{
    bool outputGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            return true;
        }
        if (option == "--trace-bridges") {
            options.traceBridges = true;
            continue;
        }
        if (option == "--trace-frames") {
            options.traceFrames = true;
            continue;
        }
        if (option != "--output" && option != "--keep-image") {
            error = "unknown option " + option;
            return false;
        }
        if (i + 1 == args.size()) {
            error = option + " needs a value";
            return false;
        }
        if (option == "--output") {
            options.output = args[++i];
            outputGiven = true;
        } else {
            options.keepImage = args[++i];
        }
    }
    if (!outputGiven) {
        error = "--output is required";
        return false;
    }
    return true;
}

} // namespace k4dl
