#pragma once
#include "print/TablePrint.h"

class GridModel;

// A font with the six settings of the grid cell's font. The cache holds the font handed out
// last: while the settings stay the same the cached object is handed out again, so runs of
// equal cells share one font object and the printer switches fonts only where they change.
FontRef getCellFont(const GridModel &Grid, int row, int col, FontRef &cache);

// Fills Table from a flex grid: the fixed rows become the header rows, the other rows the data.
// FitWidth > 0 stretches the columns in proportion to fill it; otherwise the grid's widths are
// kept. Errors pass to the caller.
void importFlexGrid(TablePrint &Table, const GridModel &Grid, float FitWidth);
