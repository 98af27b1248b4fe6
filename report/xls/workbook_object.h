#pragma once
// A workbook as the interface sees it.

#include <string>

#include "report/xls/ref_counted.h"
#include "report/xls/workbook_model.h"

namespace k4xls {

class WorkbookObject final : public RefCounted<IWorkbook> {
public:
    explicit WorkbookObject(std::u16string path) : m_model(std::move(path)) {}

    Status AddWorksheet(const char16_t* name, IWorksheet** out) override;
    Status Close() override;

    WorkbookModel& Model() { return m_model; }

private:
    WorkbookModel m_model;
};

} // namespace k4xls
