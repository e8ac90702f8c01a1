// The files the benchmarks run on, made by the project's test-file writers.
// Everything is deterministic: the same build writes the same bytes, so runs
// on different days measure the same work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vaveze::bench {

// Names of the generated files inside the benchmark folder.
inline constexpr std::string_view kLargeZvw = "large.zvw";
inline constexpr std::string_view kLargeZvs = "large.zvs";
inline constexpr std::string_view kLargestZvc = "largest.zvc";
inline constexpr std::string_view kLargestZvk = "largest.zvk";
inline constexpr std::string_view kScale1 = "scale-1x.zvw";
inline constexpr std::string_view kScale10 = "scale-10x.zvw";
inline constexpr std::string_view kScale100 = "scale-100x.zvw";
inline constexpr std::string_view kPaneZvw = "pane-full.zvw";
inline constexpr std::string_view kSmallFolder = "small";  // 1,000 small drawings
inline constexpr std::size_t kSmallDrawingCount = 1000;
// An archive of 2,000 small drawings in 20 project folders of 100, searched
// across as a window's file list and vaveze-list --grep -r search it.
inline constexpr std::string_view kArchiveFolder = "archive";
inline constexpr std::size_t kArchiveProjects = 20;
inline constexpr std::size_t kArchiveDrawingsPerProject = 100;

// Copies of the unit content in the large drawing and symbol files.
inline constexpr int kLargeCopies = 100;

// A text-heavy drawing: `copies` pieces of drawing content (texts of every
// length, dimensions, lines, arcs, points, solids, insertions, and block
// definitions with texts of their own). With `vary` every piece is drawn
// afresh; without it the first piece is repeated, which is what a scaling
// series needs.
[[nodiscard]] std::string MakeDrawing(int copies, bool vary);

// A symbol file of the same kind.
[[nodiscard]] std::string MakeSymbol(int copies);

// MS-DOS drawing file at the limits of its format: a string pool spanning the
// whole real-mode address range 0000:0000 to FFFF:FFFF, packed with distinct
// strings, referenced by a million text records, among a million lines and
// 200,000 arcs and points each.
[[nodiscard]] std::string MakeLargestZvc();

// MS-DOS symbol file at the limits of its format: a pool of the 65,536 bytes
// its 16-bit offsets reach, a million text records, and lines, arcs and
// points as in the drawing.
[[nodiscard]] std::string MakeLargestZvk();

// A drawing whose listing with every option on fills the window's pane
// exactly: `characters` characters, a line end counting as one.
[[nodiscard]] std::string MakePaneFillingDrawing(std::size_t characters);

// One small drawing of an archive (a few kilobytes); `index` varies it.
[[nodiscard]] std::string MakeSmallDrawing(int index);
// One small symbol file of the same kind.
[[nodiscard]] std::string MakeSmallSymbol(int index);

// MS-DOS drawing and symbol files of `texts` texts, each with a string of its
// own in the pool, among lines, arcs and points; `seed` varies them.
[[nodiscard]] std::string MakeDosDrawing(int texts, std::uint64_t seed);
[[nodiscard]] std::string MakeDosSymbol(int texts, std::uint64_t seed);

// Writes the archive's drawings into `folder` (made if missing):
// project-01/drawing-0001.zvw to project-20/drawing-2000.zvw. False on
// failure, with a message on standard error.
[[nodiscard]] bool WriteArchive(const std::string& folder);

// Writes the whole set into `folder` (made if missing). False on failure,
// with a message on standard error.
[[nodiscard]] bool WriteBenchFiles(const std::string& folder);

}  // namespace vaveze::bench
