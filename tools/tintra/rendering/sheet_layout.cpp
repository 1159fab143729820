#include "tools/tintra/rendering/sheet_layout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kGlyphWidth = 5;
constexpr int32_t kGlyphHeight = 7;
constexpr int32_t kAdvance = kGlyphWidth + 1;
constexpr size_t kLongestLabel = 10;

// A 5x7 dot font for the labels, upper case, digits and '-'; each row is
// five bits, the leftmost dot in bit 4.
struct Glyph {
    char c;
    uint8_t rows[kGlyphHeight];
};

constexpr Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
};

const Glyph* FindGlyph(char c)
{
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;  // a blank, as for a space
}

void Fill(Image& sheet, int32_t x, int32_t y, uint8_t grey8)
{
    const size_t i = ((size_t)y * (size_t)sheet.width + (size_t)x) * 4;
    if (sheet.depth == 32) {
        const float v = (float)grey8 / 255.0f;
        sheet.pixelsf[i] = sheet.pixelsf[i + 1] = sheet.pixelsf[i + 2] = v;
        sheet.pixelsf[i + 3] = 1.0f;
    } else if (sheet.depth == 16) {
        const uint16_t v = (uint16_t)(grey8 * 257u);
        sheet.pixels16[i] = sheet.pixels16[i + 1] = sheet.pixels16[i + 2] = v;
        sheet.pixels16[i + 3] = 65535;
    } else {
        sheet.pixels8[i] = sheet.pixels8[i + 1] = sheet.pixels8[i + 2] = grey8;
        sheet.pixels8[i + 3] = 255;
    }
}

constexpr uint8_t kGround = 64;
constexpr uint8_t kInk = 235;

void DrawLabel(Image& sheet, const SheetLayout& layout, int cell, const std::string& label, int32_t s)
{
    const int32_t text_width = (int32_t)label.size() * kAdvance * s - s;
    int32_t x0 = layout.cell_left[(size_t)cell] + (layout.cell_width - text_width) / 2;
    if (x0 < layout.cell_left[(size_t)cell]) x0 = layout.cell_left[(size_t)cell];
    const int32_t right = layout.cell_left[(size_t)cell] + layout.cell_width;
    for (size_t k = 0; k < label.size(); ++k) {
        const Glyph* g = FindGlyph(label[k]);
        if (g == nullptr) continue;
        for (int32_t row = 0; row < kGlyphHeight; ++row)
            for (int32_t col = 0; col < kGlyphWidth; ++col) {
                if (((g->rows[row] >> (kGlyphWidth - 1 - col)) & 1) == 0) continue;
                for (int32_t dy = 0; dy < s; ++dy)
                    for (int32_t dx = 0; dx < s; ++dx) {
                        const int32_t x = x0 + ((int32_t)k * kAdvance + col) * s + dx;
                        const int32_t y = layout.label_top + row * s + dy;
                        if (x < right && x < sheet.width && y < sheet.height) Fill(sheet, x, y, kInk);
                    }
            }
    }
}

}  // namespace

SheetLayout LayoutSheet(int32_t cell_width, int32_t cell_height, int cells)
{
    SheetLayout layout;
    layout.cell_width = cell_width;
    layout.cell_height = cell_height;
    layout.gap = std::max<int32_t>(4, std::min(cell_width, cell_height) / 48);
    // Labels of up to ten letters fit under their cell; larger cells get larger letters.
    const int32_t fit = cell_width / ((int32_t)kLongestLabel * kAdvance);
    layout.text_scale = std::max<int32_t>(1, std::min<int32_t>({fit, cell_height / 60, 6}));
    layout.width = cells * cell_width + (cells + 1) * layout.gap;
    layout.cell_top = layout.gap;
    layout.label_top = layout.cell_top + cell_height + layout.gap;
    layout.height = layout.label_top + kGlyphHeight * layout.text_scale + layout.gap;
    for (int i = 0; i < cells; ++i) layout.cell_left.push_back(layout.gap + i * (cell_width + layout.gap));
    return layout;
}

Image ComposeSheet(const SheetLayout& layout, const std::vector<const Image*>& cells,
                   const std::vector<std::string>& labels)
{
    const Image& first = *cells.front();
    Image sheet = MakeImage(layout.width, layout.height, first.depth, first.has_alpha);
    sheet.premultiplied = first.premultiplied;
    // The labels are the popup's own names ("Chroma Clipped", not a keyword
    // that reads like the Chroma control): letters shrink until every label
    // fits under its cell, all in one size.
    int32_t scale = layout.text_scale;
    for (const std::string& label : labels)
        while (scale > 1 && (int32_t)label.size() * kAdvance * scale - scale > layout.cell_width) --scale;
    for (int32_t y = 0; y < sheet.height; ++y)
        for (int32_t x = 0; x < sheet.width; ++x) Fill(sheet, x, y, kGround);

    for (size_t c = 0; c < cells.size() && c < layout.cell_left.size(); ++c) {
        const Image& cell = *cells[c];
        for (int32_t y = 0; y < layout.cell_height; ++y) {
            const size_t from = (size_t)y * (size_t)cell.width * 4;
            const size_t to = ((size_t)(layout.cell_top + y) * (size_t)sheet.width + (size_t)layout.cell_left[c]) * 4;
            if (sheet.depth == 32)
                std::copy_n(&cell.pixelsf[from], (size_t)cell.width * 4, &sheet.pixelsf[to]);
            else if (sheet.depth == 16)
                std::copy_n(&cell.pixels16[from], (size_t)cell.width * 4, &sheet.pixels16[to]);
            else
                std::copy_n(&cell.pixels8[from], (size_t)cell.width * 4, &sheet.pixels8[to]);
        }
        if (c < labels.size()) DrawLabel(sheet, layout, (int)c, labels[c], scale);
    }
    return sheet;
}
