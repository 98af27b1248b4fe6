#pragma once
// The sheet's print switches and its frozen-pane settings.

#include "report/xls/ref_counted.h"
#include "report/xls/worksheet_object.h"

namespace k4xls {

// First: 1 landscape, 0 portrait. Second: 1 fit to one page wide, 0 not.
// Third: 1 centred horizontally on the page, 0 not.
class SheetSwitchesObject final : public RefCounted<ISheetSwitches> {
public:
    explicit SheetSwitchesObject(WorksheetObject* sheet) : m_sheet(sheet) {}
    Status SetFirst(std::int32_t value) override;
    Status SetSecond(std::int32_t value) override;
    Status SetThird(std::int32_t value) override;

private:
    RefPtr<WorksheetObject> m_sheet;
};

// First: the rows above this one stay in view. Second: the columns before
// this one stay in view. 0 and 1 freeze nothing.
class SheetSettingsObject final : public RefCounted<ISheetSettings> {
public:
    explicit SheetSettingsObject(WorksheetObject* sheet) : m_sheet(sheet) {}
    Status SetFirst(std::int32_t row) override;
    Status SetSecond(std::int32_t column) override;

private:
    RefPtr<WorksheetObject> m_sheet;
};

} // namespace k4xls
