#pragma once
#include <optional>
#include <string>

#include "platform/dynamic_library.h"
#include "report/xls/k4xls.h"

namespace k4 {

// The spreadsheet component, loaded for one report. Every object taken from
// `start` must be released before this goes.
struct XlsComponent {
    DynamicLibrary library;
    K4XlsStartFn start = nullptr;
};

// Where the component lives inside `folder`.
std::string XlsComponentPath(const std::string& folder);

// Loads the component from `folder`; nothing when it is missing, cannot be
// loaded or has no "Start".
std::optional<XlsComponent> LoadXlsComponent(const std::string& folder);

} // namespace k4
