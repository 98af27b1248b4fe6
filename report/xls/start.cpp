// The component's one export.

#include "report/xls/engine_object.h"

K4XLS_EXPORT k4xls::IEngine* Start()
{
    try {
        return new k4xls::EngineObject();
    } catch (...) {
        return nullptr;
    }
}
