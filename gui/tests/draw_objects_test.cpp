// Font, pen and brush descriptions: what each change tells the drawing
// context, and when a cached GDI object is deleted.
#include <gtest/gtest.h>

#include <vector>

#include "gui/draw_context.h"

namespace {

// Hears the change masks as a drawing context would.
class Listener : public DrawContextInterface {
public:
    void FontChanged(u32 mask) override { fonts.push_back(mask); }
    void PenChanged(u32 mask) override { pens.push_back(mask); }
    void BrushChanged(u32 mask) override { brushes.push_back(mask); }
    bool Begin() override { return true; }
    void End() override {}
    bool IsActive() override { return false; }
    bool MoveTo(int, int) override { return true; }
    bool LineTo(int, int) override { return true; }
    bool GetTextExtent(const StringW&, int*, int*) override { return false; }
    int DrawTextAt(const StringW&, int, int) override { return 0; }
    int DrawTextInRect(const StringW&, int, int, int, int, int) override { return 0; }
    bool DrawRectangle(int, int, int, int) override { return true; }
    bool FrameRectangle(int, int, int, int) override { return true; }
    bool FillRectangle(int, int, int, int) override { return false; }
    bool StretchBitmap(const ImageBase*, const Rect*, const Rect*, const ImageBase*) override { return false; }

    std::vector<u32> fonts, pens, brushes;
};

std::vector<void*> deleted;

class DrawObjectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        deleted.clear();
        gdiObjectDeleter = [](void* object) { deleted.push_back(object); };
    }
    void TearDown() override { gdiObjectDeleter = nullptr; }
};

TEST_F(DrawObjectsTest, SettersReportWhatChanged)
{
    Listener context;
    Font* font = context.GetFont();
    font->SetSize(12);
    font->SetSize(12);
    font->SetKindSizeColor(2, 10, OptionalColor::Of(0xFF112233));
    font->SetBoldItalic(true, false);
    font->SetSize(-4);
    EXPECT_EQ(context.fonts, (std::vector<u32>{font_change::kSize,
                                               font_change::kKind | font_change::kSize | font_change::kColor,
                                               font_change::kStyle, font_change::kSize}));
    EXPECT_EQ(font->GetSize(), 0) << "negative sizes are stored as 0";
    font->Reset();
    EXPECT_EQ(context.fonts.back(), font_change::kKind | font_change::kStyle | font_change::kColor);
    EXPECT_TRUE(font->IsDefault());

    Pen* pen = context.GetPen();
    pen->SetAll(OptionalColor::Of(0xFFFF0000), 2, 1, 2);
    pen->SetWidth(2);
    Pen other;
    other.Assign(pen);
    EXPECT_EQ(other.GetWidth(), 2);
    pen->Assign(pen);
    EXPECT_EQ(context.pens, (std::vector<u32>{pen_change::kKind | pen_change::kWidth | pen_change::kColor |
                                              pen_change::kMixMode}));
    context.GetBrush()->SetSolid(OptionalColor::Of(0xFF00FF00));
    EXPECT_EQ(context.brushes, (std::vector<u32>{brush_change::kKind | brush_change::kColor}));
}

TEST_F(DrawObjectsTest, AHandleInUseIsDeletedOnlyOnceReleased)
{
    Listener context;
    Font* font = context.GetFont();
    int object = 0;
    font->cache.handle = &object;
    font->cache.useCount = 1;                                // selected in a context
    font->SetColor(OptionalColor::Of(0xFF0000FF));
    EXPECT_TRUE(deleted.empty()) << "a colour needs no new font";
    EXPECT_EQ(font->cache.pendingMask, 0u);
    font->SetSize(20);
    EXPECT_TRUE(deleted.empty()) << "still selected";
    EXPECT_EQ(font->cache.pendingMask, font_change::kSize);
    EXPECT_EQ(context.fonts.back(), font_change::kSize) << "the context reselects";
    font->cache.useCount = 0;                                // the context let it go
    font->NotifyChanged(font->cache.pendingMask);
    EXPECT_EQ(deleted, (std::vector<void*>{&object}));
    EXPECT_EQ(font->cache.handle, nullptr);

    Brush brush;
    int brushObject = 0;
    brush.cache.handle = &brushObject;
    brush.SetColor(OptionalColor::Of(0xFF000000));           // unused: deleted at once, nobody told
    EXPECT_EQ(deleted.back(), &brushObject);
}

} // namespace
