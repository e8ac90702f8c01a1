// The list of hits under the file list and the pane: each line of the
// list's files that holds the filter's text (file, line, the line), filled
// as the search's workers read the files, with its progress and 中止 while
// it runs. What it holds is the window flow's: the list asks for each row's
// texts as it paints them.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>

#include "core/window/windowflow.h"

namespace vaveze::win {

struct Layout;

class HitsPanel {
public:
    // Makes the list, its progress bar and 中止, hidden, as children of
    // `parent` next in the Tab order.
    HitsPanel(HWND parent, HFONT font, const window::WindowFlow& flow);
    HitsPanel(const HitsPanel&) = delete;
    HitsPanel& operator=(const HitsPanel&) = delete;

    [[nodiscard]] HWND List() const noexcept { return list_; }
    [[nodiscard]] bool Visible() const noexcept { return visible_; }
    [[nodiscard]] bool Running() const noexcept { return running_; }
    void Place(const Layout& places);

    // The rows and the progress, from the flow; true when the panel or its
    // progress came or went, so that the window lays itself out again.
    [[nodiscard]] bool ShowHits();
    // A row's text as the list paints it (LVN_GETDISPINFO).
    void GiveText(NMLVDISPINFOW& info) const;
    // Paints a line with its match on the selection's colours, so that the
    // eye finds it in a long line (NM_CUSTOMDRAW); what the list answers.
    [[nodiscard]] LRESULT Paint(NMLVCUSTOMDRAW& draw) const;
    // The row selected.
    [[nodiscard]] std::optional<std::size_t> Selected() const;

private:
    HWND list_ = nullptr;
    HWND progress_ = nullptr;
    HWND stop_ = nullptr;
    const window::WindowFlow& flow_;
    bool visible_ = false;
    bool running_ = false;
    std::size_t search_ = 0;  // the search the rows are of
};

}  // namespace vaveze::win
