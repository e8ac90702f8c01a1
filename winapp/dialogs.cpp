#include "winapp/dialogs.h"

#include <commctrl.h>
#include <commdlg.h>
// After commdlg.h: the dialogs' own errors.
#include <cderr.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "core/session/texts.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

// Long paths reach this far.
constexpr DWORD kPathRoom = 32768;
// The names of many files chosen at once: a folder and thousands of names.
constexpr DWORD kManyPathsRoom = 1 << 20;

OPENFILENAMEW SetUp(HWND owner, const FileDialogSetup& setup, const std::wstring& filters, std::wstring& file,
                    DWORD room = kPathRoom)
{
    file.assign(room, L'\0');
    std::copy_n(setup.ProposedName.begin(), std::min<std::size_t>(setup.ProposedName.size(), kPathRoom - 1),
                file.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = room;
    dialog.lpstrInitialDir = setup.Folder.empty() ? nullptr : setup.Folder.c_str();
    dialog.lpstrTitle = setup.Title.c_str();
    dialog.lpstrDefExt = setup.DefaultExtension.empty() ? nullptr : setup.DefaultExtension.c_str();
    // The program's current folder stays where it was started.
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    return dialog;
}

std::optional<std::wstring> Chosen(BOOL accepted, std::wstring& file)
{
    if (!accepted)
        return std::nullopt;
    file.resize(std::wcslen(file.c_str()));
    return file;
}

}  // namespace

std::wstring DialogFilters(std::string_view filters)
{
    std::wstring out = Wide(filters);
    std::replace(out.begin(), out.end(), L'|', L'\0');
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

std::vector<std::wstring> ChooseFilesToOpen(HWND owner, const FileDialogSetup& setup)
{
    const std::wstring filters = DialogFilters(setup.Filters);
    std::wstring names;
    OPENFILENAMEW dialog = SetUp(owner, setup, filters, names, kManyPathsRoom);
    dialog.Flags |= OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT;
    std::vector<std::wstring> chosen;
    if (!::GetOpenFileNameW(&dialog)) {
        // More names than the room for them: said as the system says it.
        if (::CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ShowMessage(owner, MessageKind::Error, Utf8(setup.Title), SystemErrorText(ERROR_INSUFFICIENT_BUFFER));
        return chosen;
    }
    // One file: its path. Several: the folder, then each name, each ended
    // by NUL, and one more NUL at the end.
    const wchar_t* at = names.c_str();
    const std::wstring first = at;
    at += first.size() + 1;
    if (*at == L'\0') {
        chosen.push_back(first);
        return chosen;
    }
    const std::wstring folder = first.back() == L'\\' ? first : first + L'\\';
    while (*at != L'\0') {
        const std::wstring name = at;
        chosen.push_back(folder + name);
        at += name.size() + 1;
    }
    return chosen;
}

std::optional<std::wstring> ChooseFileToSave(HWND owner, const FileDialogSetup& setup)
{
    const std::wstring filters = DialogFilters(setup.Filters);
    std::wstring file;
    OPENFILENAMEW dialog = SetUp(owner, setup, filters, file);
    dialog.Flags |= OFN_OVERWRITEPROMPT;
    return Chosen(::GetSaveFileNameW(&dialog), file);
}

void ShowMessage(HWND owner, MessageKind kind, std::string_view caption, std::string_view text)
{
    const UINT icon = kind == MessageKind::Warning ? MB_ICONWARNING : MB_ICONERROR;
    ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | icon);
}

bool Confirm(HWND owner, std::string_view caption, std::string_view question)
{
    const std::wstring title = Wide(caption);
    const std::wstring text = Wide(question);
    const std::wstring yes = Wide(WindowText::Yes);
    const std::wstring cancel = Wide(WindowText::Cancel);
    const TASKDIALOG_BUTTON buttons[] = {{IDYES, yes.c_str()}, {IDCANCEL, cancel.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW | TDF_USE_HICON_MAIN;
    config.pszWindowTitle = title.c_str();
    config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = IDCANCEL;
    int pressed = IDCANCEL;
    if (SUCCEEDED(::TaskDialogIndirect(&config, &pressed, nullptr, nullptr)))
        return pressed == IDYES;
    // Out of resources for the task dialog: the system's box, in its language.
    return ::MessageBoxW(owner, text.c_str(), title.c_str(), MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDOK;
}

void Beep() { ::MessageBeep(MB_OK); }

}  // namespace vaveze::win
