// Sheet settings that a reader of the file cannot all see (zoom, print
// switches, frozen panes, the picture's cells). The styles and header cells
// are checked on the real component's file by check_report_layout.py.
#include <gtest/gtest.h>

#include "event_table_builder.h"
#include "mock_report_run.h"

namespace {

using namespace k4test;

std::unique_ptr<MockRun> RunOneRecord()
{
    EventTableBuilder b;
    b.Plain(k4::EVT_TOTAL_RUN_TIME, 5);
    return RunWriter(b.Table());
}

TEST(ReportLayout, SheetGeometryAndSettings)
{
    const auto run = RunOneRecord();
    const auto& book = run->book;
    EXPECT_EQ(book.sheetName, "TQ K4");
    EXPECT_EQ(book.workbookPath, "/reports/unit 7.xls");
    EXPECT_EQ(book.sheetOptions, std::vector<int>{75});

    const std::vector<std::pair<std::string, int>> switches = {
        {"switch1", 1}, {"switch2", 1}, {"switch3", 1}, {"setting1", 13}, {"setting2", 1}};
    EXPECT_EQ(book.switchesAndSettings, switches);

    for (int column = 1; column <= 25; ++column) {
        const double width = column <= 7 ? 7.0 : column == 8 ? 28.0 : column <= 17 ? 9.0 : column == 18 ? 13.0 : 5.0;
        EXPECT_EQ(book.columnWidths.at(column), width) << "column " << column;
    }
    EXPECT_EQ(book.rowHeights, (std::map<int, double>{{11, 48.0}, {12, 78.0}}));

    EXPECT_EQ(book.rangeText, "R1C1:R12C25");
    EXPECT_EQ(book.styles.at(book.rangeStyle).fill, 0xFFFFFF);
    EXPECT_TRUE(book.rangeStyleApplied);

    ASSERT_EQ(book.pictures.size(), 1u);
    EXPECT_EQ(book.pictures[0].path, "/opt/k4/TQLogo.png");
    EXPECT_EQ(book.pictures[0].top, 1);
    EXPECT_EQ(book.pictures[0].left, 1);
    EXPECT_EQ(book.pictures[0].bottom, 4);
    EXPECT_EQ(book.pictures[0].right, 7);
}

} // namespace
