// The file list beside the pane, under its filter field, rendered from the
// window flow: a row for each file the filter does not hide, with a mark of
// what reading it (and saving its listing) came to and the whole story as
// its tooltip.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "core/window/windowflow.h"

namespace vaveze::win {

class FilesPanel {
public:
    // Makes the filter field and the list, hidden, as children of `parent`
    // next in the Tab order.
    FilesPanel(HWND parent, HFONT font, const window::WindowFlow& flow);
    FilesPanel(const FilesPanel&) = delete;
    FilesPanel& operator=(const FilesPanel&) = delete;
    ~FilesPanel();

    [[nodiscard]] HWND Filter() const noexcept { return filter_; }
    [[nodiscard]] bool Visible() const noexcept { return visible_; }
    void Place(const RECT& filter, const RECT& list);

    // The list, the filter's text and whether they show, from the flow.
    void ShowList();
    // Entry i's mark, tooltip and whether the filter hides it.
    void ShowEntry(std::size_t i);
    // The list's selected row: entry i (no notification).
    void Select(std::size_t i);
    // The entry the user selected.
    [[nodiscard]] std::optional<std::size_t> Selected() const;
    // The filter field's text, when the user typed it and is not composing.
    [[nodiscard]] std::optional<std::u16string> TypedFilter() const;
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    void ShowRows();
    [[nodiscard]] int RowHeight() const;
    [[nodiscard]] int RowOf(std::size_t i) const;
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    void Hover(int x, int y);

    HWND parent_;
    HWND filter_ = nullptr;
    HWND list_ = nullptr;
    HWND tip_ = nullptr;
    HICON warning_ = nullptr;
    HICON error_ = nullptr;
    const window::WindowFlow& flow_;
    bool visible_ = false;
    int lineHeight_ = 0;     // of the window's font
    bool twoLines_ = false;  // some file has a folder: each row names it below the file's name
    bool quiet_ = false;  // the window, not the user, changes the filter's text
    std::optional<std::size_t> hovered_;
    std::wstring tipText_;
};

}  // namespace vaveze::win
