// The window's modal conversations: the system's open and save dialogs,
// message boxes, the question before edits are lost, and the beep.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vaveze::win {

struct FileDialogSetup {
    std::wstring Title;
    std::wstring Folder;        // starting folder
    std::wstring ProposedName;  // put in the name field; may be empty
    // The catalogue's form: "description|patterns|description|patterns...",
    // the patterns of one filter separated by ';'. The first is selected.
    std::string Filters;
    std::wstring DefaultExtension;  // save: added to a name typed without one
};

// The full paths of the existing files chosen, in the order the dialog
// gives them; none when the user cancelled.
[[nodiscard]] std::vector<std::wstring> ChooseFilesToOpen(HWND owner, const FileDialogSetup& setup);
// The path to save to, or nothing when the user cancelled; the user has
// agreed to replace an existing file.
[[nodiscard]] std::optional<std::wstring> ChooseFileToSave(HWND owner, const FileDialogSetup& setup);

enum class MessageKind { Warning, Error };
void ShowMessage(HWND owner, MessageKind kind, std::string_view caption, std::string_view text);

// A question before something the user may not want: true for Yes, false
// for Cancel (the default, so that Enter or Escape loses nothing). The
// buttons say the catalogue's words, whatever the system's language.
[[nodiscard]] bool Confirm(HWND owner, std::string_view caption, std::string_view question);

void Beep();

// The catalogue's filters as the dialogs take them: each description and
// its patterns ended by NUL, and one more NUL at the end.
[[nodiscard]] std::wstring DialogFilters(std::string_view filters);

}  // namespace vaveze::win
