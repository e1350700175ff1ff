#include <gtest/gtest.h>

#include <bitset>
#include <set>
#include <string>
#include <vector>

#include "base/image_holder.h"
#include "base/string_a.h"
#include "emu/command_interpreter.h"
#include "emu/console_font.h"
#include "emu/host_keys.h"

namespace {

constexpr u32 kBlack = 0xFF000000;
constexpr u32 kText = 0xFFC8C8C8;
constexpr u32 kBar = 0xFFAAAAAA;
constexpr u32 kTrack = 0xFF969696;
constexpr u32 kGarbage = 0x12345678;

// A frame of width x height pixels owned by the test; rows can be taken away.
class TestImage : public ImageHolder {
public:
    TestImage(int width, int height) : pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), kGarbage)
    {
        AllocateRows(width, height);
        for (int y = 0; y < height; ++y)
            SetRow(y, pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width));
    }
    void DropRow(int y) { SetRow(y, nullptr); }
    u32 At(int x, int y) const
    {
        return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
    }

    // Pixels of color inside [x0, x1) x [y0, y1).
    int Count(u32 color, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) const
    {
        if (x1 < 0)
            x1 = width_;
        if (y1 < 0)
            y1 = height_;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y) == color ? 1 : 0;
        return n;
    }
    // Smallest box holding every pixel of color: {x0, y0, x1, y1} inclusive; x0 = -1 when none.
    std::vector<int> Box(u32 color) const
    {
        std::vector<int> box = {-1, -1, -1, -1};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) == color) {
                    if (box[0] < 0 || x < box[0]) box[0] = x;
                    if (box[1] < 0) box[1] = y;
                    if (x > box[2]) box[2] = x;
                    box[3] = y;
                }
        return box;
    }

private:
    std::vector<u32> pixels_;
};

// Set pixels of the glyphs of text: what a foreground colour must cover when drawn on black.
int InkOf(const std::string& text)
{
    int n = 0;
    for (unsigned char c : text)
        for (int r = 0; r < kConsoleGlyphHeight; ++r)
            n += static_cast<int>(std::bitset<8>(ConsoleGlyph(c)[r]).count());
    return n;
}

class OverlayConsole : public CommandInterpreter {
public:
    void DrawOverlay(ImageHolder* image, i32 lines, i32 columns, const u32 colors[2]) override
    {
        overlayLines = lines;
        overlayColumns = columns;
        if (overlayText) {
            const u32 red[2] = {colors[0], 0xFFFF0000};
            DrawGlyph(image, 0, 0, 'X', red);
        }
    }
    void PressKey(u8 key)
    {
        SetKeyState(key, 1, 0);
        SetKeyState(key, 0, 0);
    }
    void Type(const char* text)
    {
        for (; *text; ++text)
            PressKey(static_cast<u8>(*text));
    }
    i32 overlayLines = -1;
    i32 overlayColumns = -1;
    bool overlayText = false;
};

void PrintIn(CommandInterpreter& console, const char* text, u32 color)
{
    console.PrintColored(StringA(text), color);
}

TEST(ConsoleFont, BlanksBlocksAndDistinctPrintables)
{
    for (u8 blank : {u8{0x00}, u8{0x20}, u8{0xFF}})
        for (int r = 0; r < 16; ++r)
            EXPECT_EQ(ConsoleGlyph(blank)[r], 0) << int(blank);
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(ConsoleGlyph(0xDB)[r], 0xFF);
        EXPECT_EQ(ConsoleGlyph(0xB0)[r], (r & 1) ? 0x44 : 0x11);
    }
    // Every printable character has ink, and no two share a shape.
    std::set<std::string> shapes;
    for (int c = 0x21; c <= 0x7E; ++c) {
        const u8* g = ConsoleGlyph(static_cast<u8>(c));
        EXPECT_GT(InkOf(std::string(1, static_cast<char>(c))), 0) << char(c);
        shapes.insert(std::string(reinterpret_cast<const char*>(g), 16));
    }
    EXPECT_EQ(shapes.size(), 94u);
    // Lines never touch: the top two rows and the bottom row stay empty.
    for (int c = 0x21; c <= 0x7E; ++c) {
        EXPECT_EQ(ConsoleGlyph(static_cast<u8>(c))[0], 0) << char(c);
        EXPECT_EQ(ConsoleGlyph(static_cast<u8>(c))[15], 0) << char(c);
    }
}

TEST(ConsoleDraw, EmptyImageDoesNothing)
{
    CommandInterpreter console;
    console.Print(StringA("pending"));
    for (auto size : {std::pair{0, 0}, std::pair{100, 0}}) {
        TestImage image(size.first, size.second);
        EXPECT_FALSE(console.Draw(&image));
        EXPECT_TRUE(console.NeedsRedraw());
        EXPECT_EQ(console.GetPendingCount(), 1);
    }
    EXPECT_FALSE(console.Draw(nullptr));
}

TEST(ConsoleDraw, KnownLineInkAndPlace)
{
    CommandInterpreter console;
    const u32 green = 0xFF00FF00;
    PrintIn(console, "HELLO, 42", green);
    TestImage image(640, 480);
    ASSERT_TRUE(console.Draw(&image));
    EXPECT_FALSE(console.NeedsRedraw());
    EXPECT_EQ(console.GetPendingCount(), 0);
    EXPECT_EQ(console.GetLineCount(), 1);
    EXPECT_EQ(console.GetVisibleLines(), 28);
    EXPECT_EQ(console.GetColumns(), 79);

    // The whole frame was cleared, and the line's ink is exactly its glyphs' set bits,
    // inside its nine cells of the first text row.
    EXPECT_EQ(image.Count(kGarbage), 0);
    EXPECT_EQ(image.Count(green), InkOf("HELLO, 42"));
    EXPECT_EQ(image.Count(green, 3, 3, 3 + 9 * 8, 3 + 16), InkOf("HELLO, 42"));
    // Each character sits in its own cell.
    EXPECT_EQ(image.Count(green, 3 + 8 * 4, 3, 3 + 8 * 5, 19), InkOf("O"));
    EXPECT_EQ(image.Count(green, 3 + 8 * 8, 3, 3 + 8 * 9, 19), InkOf("2"));

    // A line longer than the 79 columns is cut, not wrapped.
    const u32 blue = 0xFF0000FF;
    PrintIn(console, std::string(100, 'W').c_str(), blue);
    ASSERT_TRUE(console.Draw(&image));
    EXPECT_EQ(image.Count(blue), 79 * InkOf("W"));
    EXPECT_EQ(image.Count(blue, 0, 35), 0);
}

// Ignoring duplicates takes a notice broken into rows as one line: the same notice again is
// dropped, a line equal to its last row alone is not.
TEST(ConsoleDraw, ABrokenNoticeIsComparedWhole)
{
    CommandInterpreter console;
    console.SetIgnoreDuplicates(true);
    const StringA notice("a notice of the program's own, longer than the console is wide");
    console.PrintWrapped(notice);
    TestImage image(200, 100);
    ASSERT_TRUE(console.Draw(&image));
    ASSERT_GT(console.GetLineCount(), 1);
    console.PrintWrapped(notice);
    EXPECT_EQ(console.GetPendingCount(), 0);
    StringA last;
    ASSERT_TRUE(console.GetLine(console.GetLineCount() - 1, &last, nullptr));
    console.Print(last);
    EXPECT_EQ(console.GetPendingCount(), 1);
}

TEST(ConsoleDraw, CentredShortBufferAndLines)
{
    CommandInterpreter console;
    console.SetCentred(true);
    for (int i = 0; i < 25; ++i)
        PrintIn(console, i == 0 ? "FIRST" : "x", i == 0 ? 0xFFFF0000 : 0xFF0000FF);
    TestImage image(640, 480);
    ASSERT_TRUE(console.Draw(&image));
    // 28 rows for 25 lines: one row down; "FIRST" centred on 79 columns: 37 cells in.
    const std::vector<int> box = image.Box(0xFFFF0000);
    ASSERT_GE(box[0], 0);
    EXPECT_EQ(image.Count(0xFFFF0000, 8 * 37 + 3, 19, 8 * 42 + 3, 35), InkOf("FIRST"));
    EXPECT_EQ(console.GetPageRows(), 25);
    // No scroll bar for a buffer that fits.
    EXPECT_EQ(image.Count(kTrack), 0);
}

TEST(ConsoleDraw, ScrollBarAtTheEndOfAHundredLines)
{
    CommandInterpreter console;
    for (int i = 0; i < 100; ++i)
        PrintIn(console, "line", 0xFF0000FF);
    TestImage image(640, 480);
    ASSERT_TRUE(console.Draw(&image));
    EXPECT_EQ(console.GetTopLine(), 72);
    EXPECT_EQ(console.GetColumns(), 77);
    // The thumb covers rows 325 to 450 of the bar's column, x 629 to 637.
    EXPECT_EQ(image.Box(kBar)[1], 325);
    EXPECT_EQ(image.Count(kBar, 629, 325, 638, 451), 9 * 126);
    EXPECT_EQ(image.Count(kBar, 629, 0, 638, 325), 0);
    // Above the thumb the track shows: its shade rows, two pixels per row.
    EXPECT_EQ(image.Count(kTrack, 629, 3, 637, 3 + 16), 2 * 16);
    // 28 lines shown.
    EXPECT_EQ(image.Count(0xFF0000FF), 28 * InkOf("line"));

    // Up scrolls one line back; the thumb moves with it.
    console.SetKeyState(0x26, 1, 0);
    console.SetKeyState(0x26, 0, 0);
    ASSERT_TRUE(console.Draw(&image));
    EXPECT_EQ(console.GetTopLine(), 71);
    EXPECT_EQ(image.Box(kBar)[1], 320); // floor(71 / 100 x 447 + 0.5) + 3
}

TEST(ConsoleDraw, CommandLineWithPromptCursorAndSelection)
{
    OverlayConsole console;
    StringA ran;
    console.SetCommandCallback([](void* ctx, const StringA& line) { static_cast<StringA*>(ctx)->Assign(line); },
                               &ran);
    console.Type("RUN");
    TestImage image(640, 480);
    ASSERT_TRUE(console.Draw(&image));
    // Separator at y 456 from x 3 to 637.
    EXPECT_EQ(image.Count(kBar, 0, 456, 640, 457), 635);
    // Prompt and text in the text colour from y 461; the cursor bar two rows under the
    // fourth cell.
    EXPECT_EQ(image.Count(kText, 3, 461, 11, 477), InkOf(">"));
    EXPECT_EQ(image.Count(kText, 11, 461, 35, 477), InkOf("RUN"));
    EXPECT_EQ(image.Count(kBar, 35, 477, 43, 479), 16);
    EXPECT_EQ(image.Count(kBar, 0, 457), 16);

    // Enter runs it and selects the whole line: shown in inverse video.
    console.PressKey(0x0D);
    EXPECT_EQ(ran.Compare(StringA("RUN")), 0);
    ASSERT_TRUE(console.Draw(&image));
    EXPECT_EQ(image.Count(kBlack, 11, 461, 35, 477), InkOf("RUN"));
    EXPECT_EQ(image.Count(kText, 11, 461, 35, 477), 3 * 8 * 16 - InkOf("RUN"));

    // Typing replaces the selection; a line longer than 78 cells shows its first 78 only,
    // and so does its selection.
    console.Type(std::string(90, 'M').c_str());
    console.SetKeyState(0xE0, 1, 0);
    console.PressKey(0x24); // Shift+Home selects the whole line
    console.SetKeyState(0xE0, 0, 0);
    EXPECT_EQ(console.GetSelection(), 90);
    ASSERT_TRUE(console.Draw(&image));
    EXPECT_EQ(image.Count(kText, 11 + 78 * 8, 461, 640, 477), 0);
    EXPECT_EQ(image.Count(kBlack, 11, 461, 11 + 78 * 8, 477), 78 * InkOf("M"));
}

TEST(ConsoleDraw, OverlayGetsTheGeometryAndShowsThroughBlanks)
{
    OverlayConsole console;
    console.overlayText = true;
    PrintIn(console, "A", 0xFF00FF00);
    TestImage image(640, 480);
    ASSERT_TRUE(console.Draw(&image));
    EXPECT_EQ(console.overlayLines, 28);
    EXPECT_EQ(console.overlayColumns, 79);
    // The overlay's X was drawn on black over the A: its blank rows left the A's rows alone,
    // and where both have ink in a row the X's row replaced the A's.
    EXPECT_GT(image.Count(0xFFFF0000, 3, 3, 11, 19), 0);
    int keptA = 0;
    for (int r = 0; r < 16; ++r)
        if (ConsoleGlyph('X')[r] == 0)
            keptA += static_cast<int>(std::bitset<8>(ConsoleGlyph('A')[r]).count());
    EXPECT_EQ(image.Count(0xFF00FF00, 3, 3, 11, 19), keptA);

    TestImage tiny(10, 10);
    console.overlayLines = -1;
    ASSERT_TRUE(console.Draw(&tiny));
    EXPECT_EQ(console.overlayLines, -1); // no text row fits: no overlay call
}

TEST(ConsoleDraw, GlyphsAndSpansAreClipped)
{
    CommandInterpreter console;
    TestImage image(20, 20);
    image.FillRows(kBlack, -1);
    const u32 white = 0xFFFFFFFF;
    console.FillSpan(&image, 25, -5, 4, &white); // ends in either order, clipped
    console.FillSpan(&image, 0, 19, 20, &white);
    image.DropRow(6);
    console.FillRect(&image, 2, 8, 3, 5, &white); // rows 5 to 8 but the absent one
    EXPECT_EQ(image.Count(white), 20 + 3 * 2);

    // On a coloured background a cell writes all its pixels; cells crossing the sides or
    // the bottom are clipped.
    TestImage cells(20, 20);
    const u32 pair[2] = {0xFF102030, white};
    console.DrawGlyph(&cells, 0, 0, 'A', pair);
    EXPECT_EQ(cells.Count(0xFF102030, 3, 3, 11, 19) + cells.Count(white, 3, 3, 11, 19), 128);
    console.DrawGlyphAt(&cells, 16, 10, 0xDB, pair);
    console.DrawGlyphAt(&cells, -6, 0, 0xDB, pair);
    EXPECT_EQ(cells.Count(white, 16, 10), 4 * 10);
    EXPECT_EQ(cells.Count(white, 0, 0, 2, 16), 2 * 16);
}

} // namespace
