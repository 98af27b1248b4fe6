#include "report/xls/engine_object.h"

#include "report/xls/utf16_text.h"
#include "report/xls/workbook_object.h"

namespace k4xls {

Status EngineObject::NewWorkbook(const char16_t* path, IWorkbook** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!path)
        return E_POINTER;
    if (!*path)
        return E_INVALIDARG;
    return Guarded([&] { return HandOut(new WorkbookObject(std::u16string(ViewOf(path))), out); });
}

} // namespace k4xls
