// report_driver (--sample | --synthetic COUNT) --output BASE [--repeat N] [--with-csv]
// Writes BASE.xls (and with --with-csv BASE.csv first, as the download pass
// does) for scripts/bench_report.sh and scripts/render_report_sample.sh.
// With --repeat it writes N times and prints the mean milliseconds per report.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/stderr_messages.h"
#include "eventlog/csv_writer.h"
#include "eventlog/log_image.h"
#include "eventlog/sample_image.h"
#include "report/xls_report.h"

int main(int argc, char** argv)
{
    std::string base;
    int synthetic = -1, repeat = 0;
    bool withCsv = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (arg == "--output")
            base = value, ++i;
        else if (arg == "--synthetic" || arg == "--repeat")
            (arg == "--repeat" ? repeat : synthetic) = std::atoi(value), ++i;
        synthetic = arg == "--sample" ? 0 : synthetic;
        withCsv = withCsv || arg == "--with-csv";
    }
    k4::EventTableArgs args;
    auto image = synthetic > 0 ? k4::SyntheticLogImage(synthetic) : k4::SampleLogImage();
    if (base.empty() || synthetic < 0 || !k4::PrepareImageForWriters(image, args)) {
        std::fprintf(stderr,
                     "usage: report_driver (--sample | --synthetic COUNT) --output BASE [--repeat N] [--with-csv]\n");
        return 2;
    }
    k4::StderrMessages messages;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < std::max(repeat, 1); ++i) {
        if (withCsv) // the download pass writes the CSV first, whatever becomes of it
            k4::WriteCsvFile(args.tableOffset, args.tableLength, args.table, base, messages);
        if (!k4::WriteXlsReport(args.tableOffset, args.tableLength, args.table, base, messages))
            return 1;
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    if (repeat > 0)
        std::printf("%.3f\n", elapsed.count() / repeat);
    return 0;
}
