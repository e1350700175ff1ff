// Console drawing: the scroll-back buffer, its scroll bar and the command line as 8 by 16
// character cells in a 32-bit image.
#include <algorithm>
#include <cmath>

#include "base/image_holder.h"
#include "emu/command_interpreter.h"
#include "emu/console_font.h"

namespace {

constexpr u32 kBlack = 0xFF000000;
constexpr u32 kText = CommandInterpreter::kDefaultColor;
constexpr u32 kTrack = 0xFF969696;
constexpr u32 kBar = 0xFFAAAAAA;  // scroll-bar thumb, separator and cursor bar
constexpr u8 kPromptGlyph = 0x3E;
constexpr u8 kTrackGlyph = 0xB0;

// Cells start 3 pixels in from the left and top edges.
constexpr i32 kMargin = 3;
// Height kept for the separator and the command line below the text rows.
constexpr i32 kCommandArea = 24;
// Width of the scroll bar column, taken from the text columns when it is shown.
constexpr i32 kScrollBarWidth = 11;

bool IsBlack(u32 color)
{
    return (color & 0x00FFFFFF) == 0;
}

} // namespace

void CommandInterpreter::FillSpan(ImageHolder* image, i32 x1, i32 x2, i32 y, const u32* color)
{
    if (image == nullptr || color == nullptr || y < 0 || y >= image->GetHeight())
        return;
    u32* row = image->GetRowPixels(y);
    if (row == nullptr)
        return;
    if (x1 > x2)
        std::swap(x1, x2);
    x1 = std::max(x1, 0);
    x2 = std::min(x2, image->GetWidth() - 1);
    for (i32 x = x1; x <= x2; ++x)
        row[x] = *color;
}

void CommandInterpreter::FillRect(ImageHolder* image, i32 x1, i32 y1, i32 x2, i32 y2, const u32* color)
{
    if (y1 > y2)
        std::swap(y1, y2);
    for (i32 y = y1; y <= y2; ++y)
        FillSpan(image, x1, x2, y, color);
}

void CommandInterpreter::DrawText(ImageHolder* image, i32 x, i32 y, const char* text, i32 count1, i32 count2,
                                  const u32 colors[2])
{
    const i32 count = std::min(count1, count2);
    if (image == nullptr || text == nullptr || colors == nullptr || count <= 0)
        return;
    glyphs_.colors[0] = colors[0];
    glyphs_.colors[1] = colors[1];
    const bool blackBackground = IsBlack(colors[0]);
    const i32 width = image->GetWidth();
    const i32 height = image->GetHeight();
    for (i32 r = 0; r < kConsoleGlyphHeight; ++r) {
        const i32 py = y + r;
        if (py >= height)
            break;
        u32* row = image->GetRowPixels(py);
        if (row == nullptr)
            continue;
        for (i32 i = 0; i < count; ++i) {
            const u8 ch = static_cast<u8>(text[i]);
            if (ch == ' ' && blackBackground)
                continue;
            const u8 bits = ConsoleGlyph(ch)[r];
            if (bits == 0 && blackBackground)
                continue;
            const u32* const* cells = glyphs_.entries[bits];
            const i32 px = x + 8 * i;
            if (px >= 0 && px + 8 <= width) {
                u32* out = row + px;
                for (int k = 0; k < 8; ++k)
                    out[k] = *cells[k];
            } else {
                // A cell that crosses the image's side is clipped rather than written past
                // the row.
                for (int k = 0; k < 8; ++k) {
                    if (px + k >= 0 && px + k < width)
                        row[px + k] = *cells[k];
                }
            }
        }
    }
}

void CommandInterpreter::DrawGlyphAt(ImageHolder* image, i32 x, i32 y, u8 ch, const u32 colors[2])
{
    const char c = static_cast<char>(ch);
    DrawText(image, x, y, &c, 1, 1, colors);
}

void CommandInterpreter::DrawGlyph(ImageHolder* image, i32 column, i32 line, u8 ch, const u32 colors[2])
{
    DrawGlyphAt(image, 8 * column + kMargin, 16 * line + kMargin, ch, colors);
}

bool CommandInterpreter::Draw(ImageHolder* image)
{
    if (image == nullptr)
        return false;
    const i32 width = image->GetWidth();
    const i32 height = image->GetHeight();
    if (width <= 0 || height <= 0)
        return false;

    ClearRedraw();
    // Notices are broken to the columns left beside the scroll bar: they fit whether it
    // shows or not. A new width breaks those in the buffer again.
    const i32 wrap = std::max((width - kScrollBarWidth - 2 * kMargin) / 8, 0);
    if (wrap != wrapColumns_)
        BreakAgain(wrap);
    FlushPending();
    ScopedLock lock(bufferLock_);

    image->FillRows(kBlack, -1);

    const i32 textHeight = commandLineShown_ ? height - kCommandArea : height;
    visibleLines_ = (textHeight - 2 * kMargin) / 16;
    columns_ = (width - 2 * kMargin) / 8;
    pageRows_ = 0;

    const i32 n = static_cast<i32>(lines_.size());
    if (n > 0) {
        pageRows_ = visibleLines_;
        const bool scrollBar = n > visibleLines_;
        const i32 barX = width - kScrollBarWidth;
        if (scrollBar)
            columns_ = (width - kScrollBarWidth - 2 * kMargin) / 8;

        i32 first = topLine_ == -1 ? n - visibleLines_ : topLine_;
        first += scrollDelta_;
        scrollDelta_ = 0;
        if (first + visibleLines_ > n)
            first = n - visibleLines_;
        if (first < 0)
            first = 0;
        topLine_ = first;

        i32 rows = visibleLines_;
        i32 vOffset = 0;
        if (n < visibleLines_) {
            rows = n;
            pageRows_ = n;
            if (centred_)
                vOffset = (visibleLines_ - n) / 2;
        }

        const u32 trackColors[2] = {kBlack, kTrack};
        for (i32 i = 0; i < rows && first + i < n; ++i) {
            const Line& line = lines_[static_cast<size_t>(first + i)];
            const u32 lineColors[2] = {kBlack, static_cast<u32>(line.tag)};
            const i32 y = 16 * (i + vOffset) + kMargin;
            const i32 len = line.text.GetLength();
            if (len < columns_) {
                const i32 x = centred_ ? 8 * ((columns_ - len) / 2) + kMargin : kMargin;
                DrawText(image, x, y, line.text.CStr(), len, len, lineColors);
            } else {
                DrawText(image, kMargin, y, line.text.CStr(), columns_, columns_, lineColors);
            }
            if (scrollBar)
                DrawGlyphAt(image, barX, y, kTrackGlyph, trackColors);
        }

        if (scrollBar) {
            const double k = 16.0 * rows - 1.0;
            const i32 top = static_cast<i32>(std::floor(static_cast<double>(first) / n * k + 0.5)) + kMargin;
            const i32 bottom =
                static_cast<i32>(std::floor(static_cast<double>(first + rows) / n * k + 0.5)) + kMargin;
            FillRect(image, barX, top, width - kMargin, bottom, &kBar);
        }
    }

    if (commandLineShown_) {
        const i32 y0 = 16 * visibleLines_ + 8;
        if (y0 >= 0 && 16 * visibleLines_ + 28 < height) {
            FillSpan(image, kMargin, width - kMargin, y0, &kBar);
            const i32 textTop = y0 + (height - y0) / 2 - 7;
            const u32 textColors[2] = {kBlack, kText};
            DrawGlyphAt(image, kMargin, textTop, kPromptGlyph, textColors);
            const i32 cursorX = 11 + 8 * cursor_;
            FillRect(image, cursorX, textTop + 16, cursorX + 7, textTop + 17, &kBar);

            // No horizontal scrolling: what lies beyond maxChars is not shown.
            const i32 maxChars = (width - 2 * kMargin) / 8 - 1;
            const i32 len = commandLine_.GetLength();
            DrawText(image, 11, textTop, commandLine_.CStr(), len, maxChars, textColors);
            if (selection_ != 0 && len != 0) {
                i32 start = 0;
                i32 count = 0;
                GetSelectionRange(&start, &count);
                const i32 shown = std::min(start + count, maxChars) - start;
                const u32 inverse[2] = {kText, kBlack};
                if (shown > 0)
                    DrawText(image, 11 + 8 * start, textTop, commandLine_.CStr() + start, shown, shown, inverse);
            }
        }
    }

    if (visibleLines_ > 0 && columns_ > 0) {
        const u32 overlayColors[2] = {kBlack, kText};
        DrawOverlay(image, visibleLines_, columns_, overlayColors);
    }
    return true;
}
