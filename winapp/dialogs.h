// The window's modal conversations: the system's open and save dialogs,
// the flow's questions and messages, and the beep.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/window/flowmessages.h"

namespace vaveze::win {

struct FileDialogSetup {
    std::wstring Title;
    std::filesystem::path Folder;        // starting folder
    std::filesystem::path ProposedName;  // put in the name field; may be empty
    // The catalogue's form: "description|patterns|description|patterns...",
    // the patterns of one filter separated by ';'. The first is selected.
    std::string Filters;
    std::wstring DefaultExtension;  // save: added to a name typed without one
};

// The full paths of the existing files chosen, in the order the dialog
// gives them; none when the user cancelled.
[[nodiscard]] std::vector<std::filesystem::path> ChooseFilesToOpen(HWND owner, const FileDialogSetup& setup);
// The path to save to, or an empty one when the user cancelled; the user
// has agreed to replace an existing file.
[[nodiscard]] std::filesystem::path ChooseFileToSave(HWND owner, const FileDialogSetup& setup);

// The flow's question, its buttons in the catalogue's words whatever the
// system's language.
[[nodiscard]] window::Reply Ask(HWND owner, const window::effect::Ask& question);
void ShowMessage(HWND owner, window::MessageKind kind, std::string_view caption, std::string_view text);
void Beep();

}  // namespace vaveze::win
