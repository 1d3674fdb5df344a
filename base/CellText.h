#pragma once
// A cell as users write it: "x:y" (as the viewer's Copy Cell and the route
// program give it), "x,y" or "x y", with spaces around the numbers allowed.
// The numbers are whole and may be negative (a cell outside every map).

#include "base/Cell.h"

#include <optional>
#include <string_view>

std::optional<Cell> ParseCellText(std::string_view text);
