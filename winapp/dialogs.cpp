// The system's file dialogs, the task dialog of a question, message boxes.
#include "winapp/dialogs.h"

#include <commctrl.h>
#include <commdlg.h>
// After commdlg.h: the dialogs' own errors.
#include <cderr.h>

#include <algorithm>
#include <cwchar>

#include "core/session/texts.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

namespace fs = std::filesystem;
using window::Reply;

// Long paths reach this far.
constexpr DWORD kPathRoom = 32768;
// The names of many files chosen at once: a folder and thousands of names.
constexpr DWORD kManyPathsRoom = 1 << 20;

// The catalogue's filters as the dialogs take them: each description and
// its patterns ended by NUL, and one more NUL at the end.
std::wstring DialogFilters(std::string_view filters)
{
    std::wstring out = Wide(filters);
    std::replace(out.begin(), out.end(), L'|', L'\0');
    out.append(2, L'\0');
    return out;
}

// Runs the dialog; the names it leaves in `file`, empty when cancelled.
template <class Show>
bool RunDialog(HWND owner, const FileDialogSetup& setup, DWORD flags, DWORD room, std::wstring& file, Show show)
{
    const std::wstring filters = DialogFilters(setup.Filters);
    const std::wstring folder = setup.Folder.wstring();
    const std::wstring name = setup.ProposedName.wstring();
    file.assign(room, L'\0');
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), kPathRoom - 1), file.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = room;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = setup.Title.c_str();
    dialog.lpstrDefExt = setup.DefaultExtension.empty() ? nullptr : setup.DefaultExtension.c_str();
    // The program's current folder stays where it was started.
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | flags;
    return show(&dialog) != 0;
}

// A question's buttons: Cancel the dialog's own IDCANCEL, which Escape and
// the close box press too; the other answers the system's other command
// numbers, in their order (some task dialogs take no others).
constexpr int kReplyButtons[] = {IDYES, IDNO, IDRETRY, IDIGNORE, IDABORT, IDTRYAGAIN, IDCONTINUE};

int ButtonOf(const std::vector<Reply>& replies, Reply reply)
{
    if (reply == Reply::Cancel)
        return IDCANCEL;
    std::size_t button = 0;
    for (const Reply offered : replies) {
        if (offered == reply)
            return kReplyButtons[std::min(button, std::size(kReplyButtons) - 1)];
        button += offered == Reply::Cancel ? 0 : 1;
    }
    return IDCANCEL;
}

}  // namespace

std::vector<fs::path> ChooseFilesToOpen(HWND owner, const FileDialogSetup& setup)
{
    std::wstring names;
    std::vector<fs::path> chosen;
    if (!RunDialog(owner, setup, OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT, kManyPathsRoom, names, ::GetOpenFileNameW)) {
        // More names than the room for them: said as the system says it.
        if (::CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ShowMessage(owner, window::MessageKind::Error, Utf8(setup.Title), SystemErrorText(ERROR_INSUFFICIENT_BUFFER));
        return chosen;
    }
    // One file: its path. Several: the folder, then each name, each ended
    // by NUL, and one more NUL at the end.
    const wchar_t* at = names.c_str();
    const fs::path first = at;
    at += std::wcslen(at) + 1;
    if (*at == L'\0')
        return {first};
    for (; *at != L'\0'; at += std::wcslen(at) + 1)
        chosen.push_back(first / at);
    return chosen;
}

fs::path ChooseFileToSave(HWND owner, const FileDialogSetup& setup)
{
    std::wstring file;
    if (!RunDialog(owner, setup, OFN_OVERWRITEPROMPT, kPathRoom, file, ::GetSaveFileNameW))
        return {};
    return fs::path(file.c_str());
}

Reply Ask(HWND owner, const window::effect::Ask& question)
{
    const std::wstring title = Wide(kApplicationTitle);
    const std::wstring text = Wide(question.Text);
    std::vector<std::wstring> captions;
    for (const Reply reply : question.Replies)
        captions.push_back(Wide(window::ReplyCaption(reply)));
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (std::size_t i = 0; i < question.Replies.size(); ++i)
        buttons.push_back({ButtonOf(question.Replies, question.Replies[i]), captions[i].c_str()});
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW | TDF_USE_HICON_MAIN;
    config.pszWindowTitle = title.c_str();
    config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.data();
    config.nDefaultButton = ButtonOf(question.Replies, question.Default);
    int pressed = IDCANCEL;
    if (FAILED(::TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
        // Out of resources for the task dialog: the system's box, in its
        // language, OK for the first answer.
        const int box = ::MessageBoxW(owner, text.c_str(), title.c_str(), MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION);
        return box == IDOK && !question.Replies.empty() ? question.Replies.front() : question.Escape;
    }
    // Escape and the close box answer IDCANCEL.
    for (const Reply reply : question.Replies)
        if (pressed == ButtonOf(question.Replies, reply) && pressed != IDCANCEL)
            return reply;
    return question.Escape;
}

void ShowMessage(HWND owner, window::MessageKind kind, std::string_view caption, std::string_view text)
{
    const UINT icon = kind == window::MessageKind::Warning ? MB_ICONWARNING : MB_ICONERROR;
    ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | icon);
}

void Beep() { ::MessageBeep(MB_OK); }

}  // namespace vaveze::win
