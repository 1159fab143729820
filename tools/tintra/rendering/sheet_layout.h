// The contact sheet: cells of the input's size side by side on a dark grey
// ground, each with its label underneath.
#pragma once

#include <string>
#include <vector>

#include "tools/tintra/image_io/image.h"

struct SheetLayout {
    int32_t cell_width = 0;
    int32_t cell_height = 0;
    int32_t gap = 0;          // border around and between cells
    int32_t text_scale = 1;   // pixels per dot of the label font
    int32_t width = 0;
    int32_t height = 0;
    std::vector<int32_t> cell_left;  // left edge of each cell
    int32_t cell_top = 0;
    int32_t label_top = 0;    // top of the labels' glyphs
};

SheetLayout LayoutSheet(int32_t cell_width, int32_t cell_height, int cells);

// Puts the cells, in order, into one image at their depth, and labels them.
// Every cell has the layout's cell size and the first cell's depth and
// layout (float, full 16-bit levels, premultiplied alpha), which the sheet keeps.
Image ComposeSheet(const SheetLayout& layout, const std::vector<const Image*>& cells,
                   const std::vector<std::string>& labels);
