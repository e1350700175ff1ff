// Function keys of the debugger console and the register panels drawn in break.
#include "core/debug_hotkeys.h"

#include <algorithm>

bool DebugHotkeys::RunCommand(const char* command)
{
    if (!commandCallback_)
        return false;
    commandCallback_(commandContext_, StringA(command));
    return true;
}

bool DebugHotkeys::OnKey(u8 key, bool down, bool previous, bool observeOnly)
{
    const bool ctrl = IsCtrlDown();
    const bool alt = IsAltDown();
    const bool callback = commandCallback_ != nullptr;

    if (observeOnly) {
        if (down && key == kKeyF12 && ctrl && callback) {
            RunCommand("BREAK");
            return false;
        }
        if (down && (key == kKeyF11 || key == kKeyF12) && !ctrl && !alt)
            return true;
        return CommandInterpreter::OnKey(key, down, previous, true);
    }

    switch (key) {
    case kKeyF5:
        if (down && callback) {
            if (ctrl) {
                RunCommand("GO");
                RaiseRedraw();
            } else {
                RunCommand("START");
            }
        }
        return true;
    case kKeyF7:
        if (down)
            RunCommand("STEP");
        return true;
    case kKeyF8:
        if (down)
            RunCommand(IsShiftDown() ? "STEPOVEROVER" : "STEPOVER");
        return true;
    case kKeyF11:
        // Without Ctrl or Alt the window saves a state, as long as there is a console
        // that takes commands at all.
        if (!down || ctrl || alt)
            return true;
        return !callback;
    case kKeyF12:
        if (!down)
            return true;
        if (ctrl) {
            RunCommand("BREAK");
            return true;
        }
        return alt || !callback;
    default:
        return CommandInterpreter::OnKey(key, down, previous, false);
    }
}

void DebugHotkeys::DrawOverlay(ImageHolder* image, i32 rows, i32 columns, const u32* /*colors*/)
{
    DrawPanels(image, rows, columns);
}

void DebugHotkeys::DrawPanels(ImageHolder* image, i32 rows, i32 columns)
{
    panelLines_.Clear();
    if (provider_)
        provider_(providerContext_, panelLines_);
    const i32 count = panelLines_.Count();
    auto opensGroup = [this](i32 index) {
        const StringBase* line = panelLines_.At(index);
        return line && line->GetLength() > 0 && line->GetCharAt(0) == '~';
    };
    i32 remaining = rows;
    i32 start = 0;
    while (start < count && remaining > 0) {
        i32 end = start + 1;
        while (end < count && !opensGroup(end))
            ++end;
        const i32 first = opensGroup(start) ? start + 1 : start;
        remaining -= DrawPanel(panelLines_, first, end - 1, image, rows - remaining, remaining, rows, columns);
        start = end;
    }
}

i32 DebugHotkeys::DrawPanel(ObjectList& lines, i32 first, i32 last, ImageHolder* image, i32 top, i32 rowsLeft,
                            i32 rows, i32 columns)
{
    if (first > last)
        return 0;
    i32 textWidth = 0;
    for (i32 i = first; i <= last; ++i) {
        if (const StringBase* line = lines.At(i))
            textWidth = std::max(textWidth, line->GetLength());
    }
    if (textWidth == 0)
        return 0;
    const i32 width = std::min(textWidth + 4, columns);
    const i32 inner = width - 4;
    if (inner <= 0)
        return 0;
    const i32 height = std::min(last - first + 1 + 2, rowsLeft);
    const i32 innerRows = height - 2;
    if (innerRows <= 0)
        return 0;

    const i32 left = columns - width;
    const i32 right = left + width - 1;
    const i32 bottom = top + innerRows + 1;
    const u32 colors[2] = {kPanelBack, kPanelText};
    // Code page 437 box drawing.
    DrawGlyph(image, left, top, 0xDA, colors);
    DrawGlyph(image, right, top, 0xBF, colors);
    DrawGlyph(image, left, bottom, 0xC0, colors);
    DrawGlyph(image, right, bottom, 0xD9, colors);
    for (i32 x = left + 1; x < right; ++x) {
        DrawGlyph(image, x, top, 0xC4, colors);
        DrawGlyph(image, x, bottom, 0xC4, colors);
    }
    for (i32 y = top + 1; y < bottom; ++y) {
        DrawGlyph(image, left, y, 0xB3, colors);
        DrawGlyph(image, right, y, 0xB3, colors);
        DrawGlyph(image, left + 1, y, ' ', colors);
        DrawGlyph(image, right - 1, y, ' ', colors);
    }
    // A dark rule under the box keeps it apart from the text below.
    auto inGrid = [&](i32 column, i32 row) { return column >= 0 && column < columns && row >= 0 && row < rows; };
    if (inGrid(left, bottom) && inGrid(right, bottom)) {
        const u32 back = kPanelBack;
        FillSpan(image, left * 8 + 3, right * 8 + 10, bottom * 16 + 18, &back);
    }

    for (i32 i = first; i < first + innerRows; ++i) {
        const StringBase* line = lines.At(i);
        if (!line || line->GetLength() == 0)
            continue;
        const i32 row = top + 1 + (i - first);
        const i32 shown = std::min(line->GetLength(), inner);
        for (i32 c = 0; c < inner; ++c)
            DrawGlyph(image, left + 2 + c, row, c < shown ? static_cast<u8>(line->GetCharAt(c)) : ' ', colors);
    }
    return height;
}
