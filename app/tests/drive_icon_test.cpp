#include <gtest/gtest.h>

#include "app/drive_icon.h"
#include "emu/drive_image.h"
#include "emu/tests/program_tree.h"

TEST(DriveIconTest, PictureFollowsImageLatchAndActivity)
{
    ProgramTree tree;
    ProgramTree::Write("media/game.rom", 16);
    const struct {
        bool image;
        bool latched;
        bool accepted;
        bool examined;
        bool running;
        i32 phase;
        int index;
    } cases[] = {
        {false, false, false, false, true, 0, 3},
        {false, true, false, false, true, 0, 2},
        {true, false, false, false, true, 0, 1},
        {true, true, true, true, true, 0, 0},
        {true, true, false, false, false, 0, 0},   // stopped: the image is shown as taken
        {true, true, false, false, true, 0, 9},
        {true, true, false, true, true, 0, 8},     // examined, not taken
        {true, true, false, true, true, -1000, 10},  // lit variants of 8 and 9 are 10 and 11
        {true, true, false, false, true, -1, 11},
        {false, false, false, false, true, -1, 7},
        {true, true, false, false, true, 1000, 9}, // a positive phase is the plain picture
    };
    for (const auto& c : cases) {
        DriveImage drive(nullptr);
        if (c.image) {
            ASSERT_TRUE(drive.InsertFile(ProgramTree::PathOf("media/game.rom")));
        }
        drive.SetLatch(c.latched);
        drive.SetAccepted(c.accepted);
        drive.SetExamined(c.examined);
        drive.SetIndicatorState(c.phase);
        EXPECT_EQ(DriveIconIndex(drive, c.running), c.index)
            << c.image << c.latched << c.accepted << c.examined << c.running << " " << c.phase;
    }
}
