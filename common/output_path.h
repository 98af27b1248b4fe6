#pragma once
#include <string>
#include <string_view>

#include "platform/path_rules.h"
#include "common/texts.h"

namespace k4 {

// The path the Browse dialog returned, without its extension (any
// extension, or a bare trailing dot, goes).
std::string StripChosenExtension(std::string_view chosenPath);

// The typed name without its extension: only a dot in the last path
// component starts an extension ("D:\data.old\report" stays whole).
std::string BaseNameOf(std::string_view typed);

enum class SaveCheck {
    Ok,                // basePath is set
    EmptyName,         // show text::kEnterFileNameMessage, keep the dialog open
    DataFolderMissing, // show text::kCreateDataFolderMessage, keep the dialog open
};

// The message box text for a refused Save; empty for Ok.
std::string_view SaveCheckMessage(SaveCheck check);

// What Save does with the text of "Save As": base name, default folder
// (created, one level, on every Save), full or default-folder path.
// `documentsFolder` is the user's documents folder; `homeFolder` resolves "~/".
SaveCheck ResolveSavePath(std::string_view typed, const std::string& documentsFolder, const std::string& homeFolder,
                          std::string& basePath);

// The same with this user's documents and home folders.
SaveCheck ResolveSavePath(std::string_view typed, std::string& basePath);

} // namespace k4
