// The sample drawing and symbol file shipped in samples/: small, realistic
// files with Shift-JIS texts, layers, dimensions and blocks.
#pragma once

#include "tests/win/zvw_writer.h"

namespace vaveze::winwriter {

// A ground-floor plan (version 700): named layers, colours and line
// types, room names, dimensions, a door and a compass block.
[[nodiscard]] ZvwDocument SamplePlan();

// A sanitary symbol (version 420) with one block definition.
[[nodiscard]] ZvsDocument SampleSymbol();

}  // namespace vaveze::winwriter
