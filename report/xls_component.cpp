#include "report/xls_component.h"

#include <filesystem>

namespace k4 {

std::string XlsComponentPath(const std::string& folder)
{
    return (std::filesystem::path(folder) / SharedLibraryFileName("k4xls")).string();
}

std::optional<XlsComponent> LoadXlsComponent(const std::string& folder)
{
    // Without a folder the path would be a bare name, which the loader
    // looks up in system places we never meant.
    if (folder.empty())
        return std::nullopt;
    XlsComponent component;
    if (!component.library.Load(XlsComponentPath(folder)))
        return std::nullopt;
    component.start = reinterpret_cast<K4XlsStartFn>(component.library.Symbol("Start"));
    if (component.start == nullptr)
        return std::nullopt;
    return component;
}

} // namespace k4
