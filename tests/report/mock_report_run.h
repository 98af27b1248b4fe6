#pragma once
// Runs the report writer against a fresh mock engine.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"
#include "mock_xls_engine.h"
#include "report/xls_report_with_component.h"

namespace k4test {

class RecordingSink : public k4::MessageSink {
public:
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

// Style ids in the mock: the order in which the writer makes the styles.
enum StyleId {
    kBaseStyle, kCellStyle, kCellLeftStyle, kBoldStyle, kLabelStyle, kLabelRightStyle, kHeadingStyle,
    kHeadingVerticalStyle, kEntryTextStyle, kEntryNumberStyle, kTripStyle, kTripBoldStyle, kFaultHeadingStyle,
    kTripFlagsStyle, kTripFlagsBoldStyle, kTripFlagsHeadingStyle, kParameterStyle, kDateStyle, kDecimalStyle,
    kPercentStyle
};

struct MockRun {
    mockxls::MockBook book;
    RecordingSink sink;
    bool result = false;
};

inline std::unique_ptr<MockRun> RunWriter(const std::vector<std::uint8_t>& table,
                                          const std::function<void(mockxls::MockBook&)>& prepare = {},
                                          const std::string& outputPath = "/reports/unit 7.xls",
                                          std::uint16_t tableLength = 0xFFFF)
{
    auto run = std::make_unique<MockRun>();
    if (prepare)
        prepare(run->book);
    mockxls::SetCurrentBook(&run->book);
    const std::uint16_t length = tableLength == 0xFFFF ? static_cast<std::uint16_t>(table.size()) : tableLength;
    run->result = k4::WriteXlsReportWithComponent(&mockxls::MockStart, length, table, outputPath,
                                                  "/opt/k4/TQLogo.png", run->sink);
    mockxls::SetCurrentBook(nullptr);
    return run;
}

} // namespace k4test
