// k4-report IMAGE --output BASE
// Writes BASE.csv (and BASE.xls) from a saved log image, exactly as the
// download pass does after a good transfer.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/stderr_messages.h"
#include "eventlog/csv_writer.h"
#include "eventlog/log_image.h"
#include "eventlog/sample_image.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "tools/image_file/image_file.h"
#if K4_WITH_REPORT
#include "report/xls_report.h"
#endif

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: k4-report IMAGE --output BASE\n"
                         "       k4-report --sample --output BASE\n"
                         "  Writes BASE.csv and BASE.xls from a saved log image (or the built-in sample log).\n"
                         "       k4-report --write-sample FILE\n"
                         "  Saves the built-in sample log image to FILE.\n");
    return 1;
}

int WriteSample(const std::string& path)
{
    if (!k4::WriteImageFile(path, k4::SampleLogImage())) {
        std::fprintf(stderr, "k4-report: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    k4::RestrictLibrarySearch();
    std::string imagePath;
    std::string basePath;
    std::string samplePath;
    bool useSample = false;
    const std::vector<std::string> arguments = k4::CommandLineArguments(argc, argv);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view arg = arguments[i];
        if ((arg == "--output" || arg == "-o") && i + 1 < arguments.size())
            basePath = arguments[++i];
        else if (arg == "--sample")
            useSample = true;
        else if (arg == "--write-sample" && i + 1 < arguments.size())
            samplePath = arguments[++i];
        else if (arg == "--help" || arg == "-h")
            return Usage();
        else if (imagePath.empty() && !arg.starts_with("-"))
            imagePath = arg;
        else
            return Usage();
    }
    if (!samplePath.empty())
        return WriteSample(samplePath);
    if (useSample == !imagePath.empty() || basePath.empty())
        return Usage();

    std::vector<std::uint8_t> image;
    std::string error;
    if (useSample) {
        image = k4::SampleLogImage();
        imagePath = "sample log";
    } else if (!k4::ReadImageFile(imagePath, image, error)) {
        std::fprintf(stderr, "k4-report: %s: %s\n", imagePath.c_str(), error.c_str());
        return 1;
    }
    k4::EventTableArgs args;
    if (!k4::PrepareImageForWriters(image, args)) {
        std::fprintf(stderr, "k4-report: %s: holds no log (its first byte is 0)\n", imagePath.c_str());
        return 1;
    }

    k4::StderrMessages messages;
    const bool csvWritten = k4::WriteCsvFile(args.tableOffset, args.tableLength, args.table, basePath, messages);
    bool reportWritten = true;
#if K4_WITH_REPORT
    reportWritten = k4::WriteXlsReport(args.tableOffset, args.tableLength, args.table, basePath, messages);
#endif
    if (args.tableLength == 0)
        std::fprintf(stderr, "k4-report: %s: the event table is empty; nothing written\n", imagePath.c_str());
    return csvWritten && reportWritten ? 0 : 1;
}
