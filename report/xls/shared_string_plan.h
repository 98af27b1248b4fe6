#pragma once
// Which strings the cells of a workbook use, in the order the shared
// string table lists them.

#include <cstdint>
#include <memory>
#include <vector>

#include "report/xls/worksheet_model.h"

namespace k4xls {

struct SharedStringPlan {
    static constexpr std::uint32_t kUnused = 0xFFFFFFFFu;

    std::vector<std::uint32_t> order;   // string ids by SST index
    std::vector<std::uint32_t> indexOf; // SST index by string id
    std::uint32_t references = 0;       // text cells in all

    // Strings of cells overwritten since are left out.
    static SharedStringPlan For(const std::vector<std::unique_ptr<WorksheetModel>>& sheets, std::size_t strings);
};

} // namespace k4xls
