#include "report/xls/shared_string_plan.h"

namespace k4xls {

SharedStringPlan SharedStringPlan::For(const std::vector<std::unique_ptr<WorksheetModel>>& sheets, std::size_t strings)
{
    SharedStringPlan plan;
    plan.indexOf.assign(strings, kUnused);
    for (const auto& sheet : sheets)
        for (const RowData& row : sheet->Cells().Rows())
            for (const Cell& cell : row.cells) {
                if (cell.kind != CellKind::Text)
                    continue;
                ++plan.references;
                if (plan.indexOf[cell.ref] == kUnused) {
                    plan.indexOf[cell.ref] = static_cast<std::uint32_t>(plan.order.size());
                    plan.order.push_back(cell.ref);
                }
            }
    return plan;
}

} // namespace k4xls
