// The file list beside the pane: the files chosen or dropped together, each
// with a mark of what reading it (and saving its listing) came to and the
// whole story as its tooltip, under a field that keeps in the list only the
// files whose listing holds a text. The list itself (the files and their
// states) is the core's FileList; this is how the window shows it. The
// filter reads a file per timer tick, so the window answers meanwhile.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/listing/listing.h"
#include "core/session/filelist.h"

namespace vaveze {
class Session;
}

namespace vaveze::win {

class FilesPanel {
public:
    // The parent's timers the panel sets (the window's own are below 100).
    static constexpr UINT_PTR kTypingTimer = 101;
    static constexpr UINT_PTR kFilterTimer = 102;

    // Makes the filter field and the list, hidden, as children of `parent`
    // next in the Tab order. The filter takes the files' listings from
    // `files`, with the options `options` gives, and from `shown` (whose
    // kept parse serves the file it shows).
    FilesPanel(HWND parent, HFONT font, FileList& files, const vaveze::Session& shown,
               std::function<ListingOptions()> options);
    FilesPanel(const FilesPanel&) = delete;
    FilesPanel& operator=(const FilesPanel&) = delete;
    ~FilesPanel();

    [[nodiscard]] HWND Filter() const noexcept { return filter_; }
    [[nodiscard]] HWND List() const noexcept { return list_; }
    [[nodiscard]] bool Visible() const noexcept { return visible_; }
    void Show(bool visible);
    void Place(const RECT& filter, const RECT& list);

    // Shows the files' list anew (the filter emptied), nothing selected.
    void ShowList();
    // Entry i's mark and tooltip from what the list says of it.
    void UpdateEntry(std::size_t i);
    // Marks entry i as the one the pane shows (no notification).
    void Select(std::size_t i);
    // The entry the user selected.
    [[nodiscard]] std::optional<std::size_t> Selected() const;

    // The filter field changed: the filter starts once the user stops typing.
    void FilterChanged();
    // Reads the files with the options as they are now (the boxes changed):
    // only while a filter is set.
    void Refilter();
    // The panel's timers; false for a timer not the panel's.
    bool OnTimer(UINT_PTR id);
    void Draw(const DRAWITEMSTRUCT& item) const;

    // Tells the status line: the filter's progress and result, or "" (nothing
    // to say any more).
    std::function<void(const std::string&)> Says;

private:
    void StartFilter();
    void FilterStep();
    // The list's rows: the files not filtered out, in the list's order.
    void ShowRows();
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
    FileList& files_;
    const vaveze::Session& shown_;
    std::function<ListingOptions()> options_;
    bool visible_ = false;
    bool quiet_ = false;  // the window, not the user, changes the filter's text
    std::size_t selected_ = 0;  // the entry the pane shows
    std::optional<std::size_t> hovered_;
    std::wstring tipText_;
    std::vector<bool> kept_;  // the files the filter keeps in the list
    std::u16string needle_;
    std::size_t filterNext_ = 0;
    std::size_t filterCount_ = 0;
    std::size_t holding_ = 0;
};

}  // namespace vaveze::win
