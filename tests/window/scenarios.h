// The window flow's scenario table (tests/data/window_scenarios.json), as
// every driver reads it: the flow with a scripted view, and the Qt window
// through its controls. Each scenario makes its files in a fresh folder,
// then runs its steps; an "expect" step is checked against what the driver
// observed of the window, by the same checks for every driver.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/window/flowmessages.h"

namespace vaveze::testing {

using Json = nlohmann::json;

struct Scenario {
    std::string Name;
    Json Files;  // name -> {"sample": ..., "first": n, "zero": [at, n]} or {"text": ...} or {"folder": true}
    std::vector<Json> Steps;
    bool Replayed = false;  // the Qt window replays it through its controls
    std::size_t PaneLimit = 0;  // the pane's characters, when not the window's own
};

[[nodiscard]] std::vector<Scenario> LoadScenarios(const std::filesystem::path& table);
// The scenario's name as a test name: letters and digits, the rest as '_'.
[[nodiscard]] std::string TestNameOf(const Scenario& scenario);
// Makes a scenario's files in `dir`; samples come from `samples`.
void MakeFiles(const Json& files, const std::filesystem::path& dir, const std::filesystem::path& samples);

// What a driver saw of the window after a step: the status line, the
// notice, the path field, the boxes, the list (marks as "none", "listed",
// "saved", "partial", "problem"), the pane, what was asked and told.
struct Observed {
    std::string Status;
    std::string Notice;
    std::string Path;
    std::array<bool, 3> Boxes{};
    bool ListShown = false;
    std::vector<std::string> Rows;  // the names the list shows
    std::vector<std::string> Folders;  // ... and the folders after them
    std::vector<std::string> Marks;
    std::vector<std::string> Tooltips;
    std::vector<bool> Hidden;
    std::size_t Selected = 0;
    std::u16string Pane;
    std::u16string PaneSelection;
    bool Edited = false;
    bool Closed = false;
    bool SavingAll = false;
    std::string NoticeOffer;  // the notice button's caption; empty when there is none
    std::string FindField;    // what the find field holds, selected, once opened
    std::vector<std::string> Hits;  // "file:line:text" with the match in brackets: HitRow
    std::size_t PaneLine = 0;       // the line where the pane's selection starts, from 1
    // Since the last expectation:
    std::vector<std::string> Questions;  // their texts
    std::vector<std::vector<std::string>> Offered;  // their buttons' captions
    std::vector<std::string> Told;       // message boxes' texts
    std::vector<std::string> Proposed;   // names the save dialog proposed
    int Beeps = 0;
};

// Checks every key of `expect` against `seen`; "{dir}" in an expected text
// stands for the scenario's folder.
void CheckExpectations(const Json& expect, const Observed& seen, const std::filesystem::path& dir);

// An answer as the table names it: "yes", "no", "cancel", "save", "don't
// save", "save edits", "save whole".
[[nodiscard]] window::Reply ReplyNamed(const std::string& name);
// A row of the list of hits as the table writes it: the file's name in the
// list, the line, and the text with the match in brackets.
[[nodiscard]] std::string HitRow(const std::string& file, std::size_t line, std::u16string_view text,
                                 std::size_t position, std::size_t length);

// The name of a mark, as the table writes it.
[[nodiscard]] std::string MarkName(int mark);

// UTF-16 and UTF-8 of the table's texts.
[[nodiscard]] std::u16string Utf16(const std::string& utf8);
[[nodiscard]] std::string Utf8(const std::u16string& utf16);

}  // namespace vaveze::testing
