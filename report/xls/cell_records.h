#pragma once
// A worksheet's cell table: ROW records and cell records in blocks of 32
// rows, formulas with their cached results.

#include <cstdint>
#include <span>

#include "report/xls/biff_writer.h"
#include "report/xls/cell_store.h"
#include "report/xls/sheet_calculator.h"

namespace k4xls {

// `sstIndex` maps string ids to shared string table indexes.
void WriteCellTable(BiffWriter& writer, const CellStore& cells, const FormulaStore& formulas,
                    std::span<const std::uint32_t> sstIndex, SheetCalculator& calculator);

// The RK form of `number` (a compact 30-bit encoding), when it has one.
bool EncodeRk(double number, std::uint32_t& rk);

} // namespace k4xls
