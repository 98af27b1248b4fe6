#pragma once
// A text made of runs, each in the font of a given style.

#include <string>
#include <vector>

#include "report/xls/ref_counted.h"
#include "report/xls/worksheet_model.h"
#include "report/xls/worksheet_object.h"

namespace k4xls {

class RichTextObject final : public RefCounted<IRichText> {
public:
    explicit RichTextObject(WorksheetObject* sheet) : m_sheet(sheet) {}

    Status AppendRun(const char16_t* text, IStyle* fontOf) override;

    const std::u16string& Text() const { return m_text; }
    const std::vector<RichRunSettings>& Runs() const { return m_runs; }

private:
    RefPtr<WorksheetObject> m_sheet;
    std::u16string m_text;
    std::vector<RichRunSettings> m_runs;
};

} // namespace k4xls
