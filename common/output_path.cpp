#include "common/output_path.h"

#include "platform/path_rules.h"
#include "platform/user_folders.h"
#include "common/texts.h"

namespace k4 {

namespace {

std::size_t LastComponentStart(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1]))
            return i;
    return 0;
}

} // namespace

std::string StripChosenExtension(std::string_view chosenPath)
{
    const std::size_t nameStart = LastComponentStart(chosenPath);
    const std::size_t dot = chosenPath.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart)
        return std::string(chosenPath);
    // Any extension goes, and so does a bare trailing dot.
    return std::string(chosenPath.substr(0, dot));
}

std::string BaseNameOf(std::string_view typed)
{
    // Only a dot in the last component starts an extension: a dot in a
    // folder name ("D:\data.old\report") is part of the path.
    return StripChosenExtension(typed);
}

std::string_view SaveCheckMessage(SaveCheck check)
{
    switch (check) {
    case SaveCheck::EmptyName: return text::kEnterFileNameMessage;
    case SaveCheck::DataFolderMissing: return text::kCreateDataFolderMessage;
    case SaveCheck::Ok: break;
    }
    return {};
}

SaveCheck ResolveSavePath(std::string_view typed, const std::string& documentsFolder, const std::string& homeFolder,
                          std::string& basePath)
{
    if (typed.empty())
        return SaveCheck::EmptyName;
    const std::string baseName = BaseNameOf(typed);

    // The default folder is made on every Save, whatever the name says.
    const std::string defaultFolder = documentsFolder + PathSeparator() + std::string(text::kDataFolderName);
    if (!EnsureFolder(defaultFolder))
        return SaveCheck::DataFolderMissing;

    // ".csv" or "folder/" name no file at all: ask again rather than write
    // files with no name.
    if (baseName.empty() || IsPathSeparator(baseName.back()))
        return SaveCheck::EmptyName;

    if (IsFullPath(baseName))
        basePath = ExpandFullPath(baseName, homeFolder);
    else
        basePath = defaultFolder + PathSeparator() + baseName;
    return SaveCheck::Ok;
}

SaveCheck ResolveSavePath(std::string_view typed, std::string& basePath)
{
    return ResolveSavePath(typed, DocumentsFolder(), HomeFolder(), basePath);
}

} // namespace k4
