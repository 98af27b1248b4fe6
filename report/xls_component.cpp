#include "report/xls_component.h"

#include "platform/path_rules.h"

namespace k4 {

std::string XlsComponentPath(const std::string& folder)
{
    // Joined as text: a path object made from our UTF-8 would read it in the
    // system's code page on Windows.
    return folder + PathSeparator() + SharedLibraryFileName("k4xls");
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
