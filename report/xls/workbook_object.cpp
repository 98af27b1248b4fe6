#include "report/xls/workbook_object.h"

#include "report/xls/utf16_text.h"
#include "report/xls/worksheet_object.h"

namespace k4xls {

Status WorkbookObject::AddWorksheet(const char16_t* name, IWorksheet** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!name)
        return E_POINTER;
    return Guarded([&] {
        WorksheetModel* sheet = nullptr;
        if (const Status s = m_model.AddSheet(ViewOf(name), sheet); Failed(s))
            return s;
        return HandOut(new WorksheetObject(this, *sheet), out);
    });
}

Status WorkbookObject::Close()
{
    return Guarded([&] { return m_model.Close(); });
}

} // namespace k4xls
