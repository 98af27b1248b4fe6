// report_driver (--sample | --synthetic COUNT | IMAGE) --output BASE
//               [--program-folder DIR] [--repeat N] [--with-csv]
// Writes BASE.xls through the spreadsheet component, as the download pass
// does, for the reader checks and the benchmark. With --repeat it writes the
// report N times and prints the mean time per report in milliseconds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "common/stderr_messages.h"
#include "eventlog/csv_writer.h"
#include "eventlog/log_image.h"
#include "eventlog/sample_image.h"
#include "report/xls_report.h"

int main(int argc, char** argv)
{
    std::string imagePath, basePath, programFolder;
    int synthetic = -1, repeat = 0;
    bool sample = false, withCsv = false, usage = false;
    for (int i = 1; i < argc && !usage; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--output" && hasValue)
            basePath = argv[++i];
        else if (arg == "--program-folder" && hasValue)
            programFolder = argv[++i];
        else if (arg == "--synthetic" && hasValue)
            synthetic = std::atoi(argv[++i]);
        else if (arg == "--repeat" && hasValue)
            repeat = std::atoi(argv[++i]);
        else if (arg == "--sample")
            sample = true;
        else if (arg == "--with-csv")
            withCsv = true;
        else if (!arg.starts_with("-") && imagePath.empty())
            imagePath = arg;
        else
            usage = true;
    }
    if (usage || basePath.empty() || (sample + (synthetic >= 0) + !imagePath.empty()) != 1) {
        std::fprintf(stderr, "usage: report_driver (--sample | --synthetic COUNT | IMAGE) --output BASE\n"
                             "                     [--program-folder DIR] [--repeat N] [--with-csv]\n");
        return 2;
    }

    std::vector<std::uint8_t> image;
    if (sample) {
        image = k4::SampleLogImage();
    } else if (synthetic >= 0) {
        image = k4::SyntheticLogImage(synthetic);
    } else {
        std::ifstream in(imagePath, std::ios::binary);
        image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in) {
            std::fprintf(stderr, "report_driver: cannot read %s\n", imagePath.c_str());
            return 2;
        }
    }
    k4::EventTableArgs args;
    if (!k4::PrepareImageForWriters(image, args)) {
        std::fprintf(stderr, "report_driver: the image holds no log\n");
        return 2;
    }

    k4::StderrMessages messages;
    auto write = [&] {
        // The download pass writes the CSV first, whatever becomes of it.
        if (withCsv)
            k4::WriteCsvFile(args.tableOffset, args.tableLength, args.table, basePath, messages);
        return programFolder.empty()
                   ? k4::WriteXlsReport(args.tableOffset, args.tableLength, args.table, basePath, messages)
                   : k4::WriteXlsReport(args.tableOffset, args.tableLength, args.table, basePath, messages,
                                        programFolder);
    };
    if (repeat <= 0)
        return write() ? 0 : 1;

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeat; ++i)
        if (!write())
            return 1;
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", elapsed.count() / repeat);
    return 0;
}
