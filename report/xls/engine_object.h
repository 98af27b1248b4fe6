#pragma once
// The engine: the component's entry object, maker of workbooks.

#include "report/xls/ref_counted.h"

namespace k4xls {

class EngineObject final : public RefCounted<IEngine> {
public:
    Status NewWorkbook(const char16_t* path, IWorkbook** out) override;
};

} // namespace k4xls
