#pragma once
// A cell style. Its settings live in a StyleState that the sheet shares
// once the style is applied, so later changes reach later cell writes.

#include <memory>

#include "report/xls/ref_counted.h"
#include "report/xls/style_settings.h"
#include "report/xls/worksheet_object.h"

namespace k4xls {

class StyleObject final : public RefCounted<IStyle> {
public:
    StyleObject(WorksheetObject* sheet, const StyleSettings& settings);

    Status SetNumberFormat(const char16_t* format) override;
    Status GetAlignment(IAlignment** out) override;
    Status GetFont(IFont** out) override;
    Status GetBorders(IBorders** out) override;
    Status GetFill(IFill** out) override;
    Status Apply() override;
    Status Duplicate(IStyle** out) override;
    Status SetStyleFlag(std::int32_t flag) override;

    const StyleSettings& Settings() const { return m_state->settings; }
    // For changing a setting: marks the settings as changed.
    StyleSettings& Edit()
    {
        ++m_state->version;
        return m_state->settings;
    }

private:
    RefPtr<WorksheetObject> m_sheet;
    std::shared_ptr<StyleState> m_state;
};

} // namespace k4xls
