// Plain rules of the dialogs: the file-type filter, the dialog template and its
// centring, the message box's answers and the file dialog's outcome.
#include <gtest/gtest.h>

#include "base/object_list.h"
#include "gui/dialog_template.h"
#include "gui/file_dialog_outcome.h"
#include "gui/file_type_filter.h"
#include "gui/message_box_answer.h"

namespace {

// The filter with its zeros shown as '|'.
std::string Filter(std::initializer_list<std::pair<const char*, const char*>> types, u32 mode)
{
    ObjectList extensions, descriptions;
    for (const auto& [extension, description] : types) {
        extensions.Add(StringW(extension));
        descriptions.Add(StringW(description));
    }
    std::string out;
    for (wchar16 c : BuildFileFilter(extensions, descriptions, mode))
        out.push_back(c ? static_cast<char>(c) : '|');
    return out;
}

TEST(FileTypeFilter, GroupsAndAllSupportedEntry)
{
    const auto types = {std::pair{"rom", "ROM Image"}, {"bin", "ROM Image"}, {"dsk", "Disk Image"}};
    EXPECT_EQ(Filter(types, kFileDialogOpen),
              "All Supported Files|*.rom;*.bin;*.dsk|ROM Image (*.rom,*.bin)|*.rom;*.bin|"
              "Disk Image (*.dsk)|*.dsk||");
    EXPECT_EQ(Filter(types, kFileDialogSave), "ROM Image (*.rom,*.bin)|*.rom;*.bin|Disk Image (*.dsk)|*.dsk||");
}

TEST(FileTypeFilter, EdgeCases)
{
    const std::string allFiles = "All Files (*.*)|*.*||";
    EXPECT_EQ(Filter({}, kFileDialogOpen), allFiles);
    EXPECT_EQ(Filter({}, kFileDialogSave), allFiles);
    EXPECT_EQ(Filter({{"*", "Anything"}}, kFileDialogOpen), allFiles);
    // A description that comes back after another starts a new group.
    EXPECT_EQ(Filter({{"rom", "A"}, {"dsk", "B"}, {"bin", "A"}}, kFileDialogSave),
              "A (*.rom)|*.rom|B (*.dsk)|*.dsk|A (*.bin)|*.bin||");
    // "*" joins its group but not the all-supported pattern.
    EXPECT_EQ(Filter({{"col", "Coleco ROM"}, {"*", "Any"}}, kFileDialogOpen),
              "All Supported Files|*.col|Coleco ROM (*.col)|*.col|Any (*.*)|*.*||");
}

TEST(DialogTemplate, HeaderBytes)
{
    const auto t = BuildDialogTemplate(-3, 7, 300, 0x12345).bytes;
    ASSERT_EQ(t.size(), 82u);
    const u8 header[18] = {0x80, 0x00, 0xC8, 0x80, 0, 0, 0, 0, 0, 0,  // style, ex style, items
                           0xFD, 0xFF, 0x07, 0x00, 0x2C, 0x01, 0x45, 0x23};  // x -3, y, cx, cy low bits
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(t[i], header[i]) << "byte " << i;
    for (size_t i = 18; i < t.size(); ++i)
        EXPECT_EQ(t[i], 0) << "byte " << i;
}

TEST(DialogTemplate, CentresOnOwner)
{
    struct Case {
        int ownerX, ownerY, ownerW, ownerH, w, h, x, y;
    } cases[] = {
        {100, 50, 800, 448, 300, 120, 350, 214},
        {0, 0, 100, 100, 103, 100, -1, 0},  // -3 / 2 truncates to -1
        {10, 10, 0, 0, 5, 5, 8, 8},
    };
    for (const Case& c : cases) {
        int x = 0, y = 0;
        CenterOnOwner(c.ownerX, c.ownerY, c.ownerW, c.ownerH, c.w, c.h, &x, &y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
}

TEST(MessageBoxAnswer, MapsSystemAnswersAndKinds)
{
    const int answers[][2] = {{1, 1}, {6, 1}, {2, 2}, {7, 3}, {3, 0}, {4, 0}, {5, 0}, {0, 0}, {11, 0}};
    for (const auto& a : answers)
        EXPECT_EQ(MessageBoxResultFor(a[0]), a[1]) << "answer " << a[0];
    EXPECT_EQ(MessageBoxStyleFor(0), 4u);
    EXPECT_EQ(MessageBoxStyleFor(1), 36u);
    EXPECT_EQ(MessageBoxStyleFor(2), 68u);
    EXPECT_EQ(MessageBoxStyleFor(3), 4u);
    EXPECT_EQ(MessageBoxStyleFor(kMessageBoxError), 0x10u);  // OK alone, error icon
}

TEST(FileDialogOutcome, CancelOnlyWithoutAnError)
{
    EXPECT_EQ(ClassifyFileDialogEnd(true, 0, false), FileDialogOutcome::kChosen);
    EXPECT_EQ(ClassifyFileDialogEnd(false, 0, false), FileDialogOutcome::kCancelled);
    EXPECT_EQ(ClassifyFileDialogEnd(false, kFileNameBufferTooSmall, false), FileDialogOutcome::kFailed);
    EXPECT_EQ(ClassifyFileDialogEnd(false, 0xFFFF, false), FileDialogOutcome::kFailed);
    EXPECT_EQ(ClassifyFileDialogEnd(false, 0, true), FileDialogOutcome::kFailed);
}

}  // namespace
