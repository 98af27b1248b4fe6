// A hostile log image through the header conversion and both writers, the
// report through the real spreadsheet component, into a scratch folder.
#include <cstdint>
#include <dlfcn.h>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "eventlog/csv_writer.h"
#include "eventlog/log_image.h"
#include "gathered_image.h"
#include "platform/program_folder.h"
#include "report/xls_report.h"

namespace {

class CountingMessages : public k4::MessageSink {
public:
    void ShowMessage(std::string_view) override { ++shown; }
    int shown = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The writer loads and frees the component on every call. Its coverage
    // counters must stay mapped for the fuzzer, so hold it loaded for good.
    static void* const pinned = ::dlopen((k4::ProgramFolder() + "/libk4xls.so").c_str(), RTLD_NOW | RTLD_NODELETE);
    (void)pinned;
    static const std::filesystem::path folder = [] {
        auto p = std::filesystem::temp_directory_path() / ("k4-fuzz-report-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    k4::fuzz::GatheredImage image;
    if (!k4::fuzz::GatherImage(data, size, image))
        return 0;
    const k4::EventTableArgs& args = image.args;
    const std::string base = (folder / "out").string();
    CountingMessages messages;
    k4::WriteCsvFile(args.tableOffset, args.tableLength, args.table, base, messages);
    const bool written = k4::WriteXlsReport(args.tableOffset, args.tableLength, args.table, base, messages);
    // A written report never comes with a message, and an empty table is no report.
    if ((written && messages.shown != 0) || (written && args.tableLength == 0))
        __builtin_trap();
    return 0;
}
