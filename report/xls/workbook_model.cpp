#include "report/xls/workbook_model.h"

#include "platform/atomic_file.h"
#include "report/xls/compound_file.h"
#include "report/xls/serial_date.h"
#include "report/xls/utf16_text.h"
#include "report/xls/workbook_stream.h"

namespace k4xls {

namespace {

char16_t FoldCase(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

bool WriteFile(const std::u16string& path, const CompoundFileFrame& frame, const ByteBuffer& stream)
{
    k4::AtomicFile file;
    if (!file.Open(ToUtf8(path)))
        return false;
    const bool written = file.Write(frame.header.data(), frame.header.size()) &&
                         file.Write(stream.Data(), stream.Size()) &&
                         file.Write(frame.trailer.data(), frame.trailer.size());
    if (!written) {
        file.Abandon();
        return false;
    }
    return file.Commit();
}

} // namespace

WorkbookModel::WorkbookModel(std::u16string path) : m_path(std::move(path)) {}

bool WorkbookModel::IsUsableSheetName(std::u16string_view name) const
{
    if (name.empty() || name.size() > kMaxSheetNameLength || name.front() == u'\'' || name.back() == u'\'')
        return false;
    if (name.find_first_of(u":\\/?*[]") != std::u16string_view::npos)
        return false;
    for (const auto& sheet : m_sheets)
        if (SameIgnoringCase(sheet->Name(), name))
            return false;
    return true;
}

Status WorkbookModel::AddSheet(std::u16string_view name, WorksheetModel*& sheet)
{
    if (m_closed)
        return E_FAIL;
    if (!IsUsableSheetName(name))
        return E_INVALIDARG;
    m_sheets.push_back(std::make_unique<WorksheetModel>(*this, std::u16string(name)));
    sheet = m_sheets.back().get();
    return S_OK;
}

Status WorkbookModel::Close()
{
    if (m_closed)
        return E_FAIL;
    // A workbook needs a sheet to be opened at all.
    if (m_sheets.empty()) {
        WorksheetModel* sheet = nullptr;
        AddSheet(u"Sheet1", sheet);
    }
    ByteBuffer stream = BuildWorkbookStream(*this, CurrentSerialDate());
    PadWorkbookStream(stream);
    const CompoundFileFrame frame = FrameWorkbookStream(stream.Size());
    if (!WriteFile(m_path, frame, stream))
        return E_WRITEFAILED;
    m_closed = true;
    return S_OK;
}

} // namespace k4xls
