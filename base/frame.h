// The frame every page is fitted into: 640 columns by 480 rows, landscape.
// A column is one printed line (the paper moves along the long side); a row
// is one of the head's 480 positions across it. A portrait page is the same
// frame on its side, 480 wide and 640 high.
#pragma once

constexpr int kFrameColumns = 640;
constexpr int kFrameRows = 480;
