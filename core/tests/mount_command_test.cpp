// MOUNT and the image a drive held: a refused file leaves it in, and a file that goes
// while the drive changes over gives it back.
#include <gtest/gtest.h>

#include <string>

#include "core/tests/core_rig.h"
#include "emu/drive_bay.h"
#include "emu/tests/program_tree.h"

namespace {

struct MountRig {
    MountRig()
    {
        ProgramTree::Write("prog/images/own.rom", 16);
        ProgramTree::Write("prog/images/new.rom", 32);
        alive = rig.alive && Bay()->SetCartridgeCount(1) && Cart()->InsertFile(own);
        if (alive)
            Cart()->SetLatch(false);
        rig.core->TakeDrivesChanged();
    }

    DriveBay* Bay() { return rig.machine->GetDriveBay(); }
    DriveImage* Cart() { return Bay()->GetKindDrive(DriveBay::kCartridge, 0); }

    // Typed with forward slashes, which every host takes.
    static std::string Typed(const std::string& rel) { return ProgramTree::Where(rel).generic_string(); }
    void Mount(const std::string& path)
    {
        rig.core->ExecuteConsoleCommand(StringA(("M cart \"" + path + "\"").c_str()));
    }

    ProgramTree tree;
    CoreRig rig{kStepProgram};
    const PathString own = ProgramTree::PathOf("prog/images/own.rom");
    bool alive = false;
};

TEST(MountCommand, AFileThatDoesNotOpenLeavesTheDriveAsItWas)
{
    const struct {
        const char* what;
        std::string path;
    } rows[] = {
        {"nowhere", MountRig::Typed("prog/images/none.rom")},
        {"a folder", MountRig::Typed("prog/images/folder.rom")},
        {"control", MountRig::Typed("prog/images/new.rom")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        MountRig m;
        ASSERT_TRUE(m.alive);
        ProgramTree::MakeFolder("prog/images/folder.rom");
        const bool control = row.path == MountRig::Typed("prog/images/new.rom");
        m.Mount(row.path);
        EXPECT_STREQ(m.Cart()->GetPath().GetNarrow(), control ? row.path.c_str() : m.own.GetNarrow());
        EXPECT_EQ(m.Cart()->GetLatch(), control);
        EXPECT_EQ(m.rig.core->TakeDrivesChanged(), control);
        m.Cart()->Eject();  // Windows keeps open files
    }
}

// The drive is told of the old image's eject: the new file goes there, between the
// check that it opens and its insert, as another program could take it away.
TEST(MountCommand, AnInsertThatFailsPutsTheOldImageBack)
{
    MountRig m;
    ASSERT_TRUE(m.alive);
    struct Hook {
        DriveBay::ChangeCallback chained;
        void* context;
        DriveImage* cart;
        i32 taken = 0;
    } hook{m.Bay()->GetChangeCallback(), m.Bay()->GetChangeContext(), m.Cart()};
    m.Bay()->SetChangeCallback(
        [](void* context, DriveImage* drive, bool before) {
            auto* h = static_cast<Hook*>(context);
            if (h->chained)
                h->chained(h->context, drive, before);
            if (drive == h->cart && !before && !drive->HasFile() && h->taken++ == 0)
                ProgramTree::Remove("prog/images/new.rom");
        },
        &hook);
    m.Mount(MountRig::Typed("prog/images/new.rom"));
    m.Bay()->SetChangeCallback(hook.chained, hook.context);
    ASSERT_EQ(hook.taken, 1) << "the old image was ejected once";
    EXPECT_FALSE(ProgramTree::Exists("prog/images/new.rom"));
    EXPECT_STREQ(m.Cart()->GetPath().GetNarrow(), m.own.GetNarrow());
    EXPECT_FALSE(m.Cart()->GetLatch());
    EXPECT_EQ(m.rig.ConsoleLines().back(), "Error: Can not mount file to drive.");
    m.Cart()->Eject();
}

} // namespace
