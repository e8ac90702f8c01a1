// Inputs that aim at the worst case of each reader's memory and time: the
// largest declared counts the rules let through, the longest strings, the
// deepest block nesting, a string pool covering the whole file. Each is
// built to roughly the given size.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vaveze::fuzz {

struct WorstCase {
    std::string Name;  // file name, with the format's extension
    std::string Bytes;
};

void AddDosWorstCases(std::vector<WorstCase>& cases, std::size_t size);
void AddWinWorstCases(std::vector<WorstCase>& cases, std::size_t size);

}  // namespace vaveze::fuzz
