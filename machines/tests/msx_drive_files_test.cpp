// The MSX-1's files seen through the emulation core: what is not a regular file in the
// place of a BIOS, a cartridge, a state or a settings file is refused at once with a
// word, and a refused state leaves the drives as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/memory_stream.h"
#include "base/native_path.h"
#include "base/object_list.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "base/tests/named_pipe.h"
#include "base/tests/unreadable_path.h"
#include "machines/tests/msx_rig.h"
#include "machines/tests/state_run.h"

using namespace state_test;

namespace {

struct MsxFilesCore : StateCore<Msx1Machine> {
    explicit MsxFilesCore(const Files& files) : StateCore(msx_test::kFrames, 3, "media/other.rom", files) {}

    DriveImage* Slot() const { return machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0); }
    // By name: the console mounts a path as it was typed.
    bool SlotHolds(const std::string& name, bool latch) const
    {
        return Slot()->HasFile() && name == GetFileNamePart(Slot()->GetPath()).GetNarrow() &&
               Slot()->GetLatch() == latch;
    }
    bool HasLine(const std::string& text)
    {
        for (i32 back = 0; back < 8; ++back) {
            if (LastLine(back).find(text) != std::string::npos)
                return true;
        }
        return false;
    }
};

enum class Place { kBios, kMounted, kState, kSettings };

// A folder, or (where the host makes them, Wine's included) a named pipe nobody writes
// to, in the place of the file; the pipe lasts as long as *pipe.
bool MakeNonFile(const std::string& rel, std::unique_ptr<NamedPipe>* pipe = nullptr)
{
    const std::filesystem::path where = ProgramTree::Where(rel);
    std::filesystem::create_directories(where.parent_path());
    if (!pipe)
        return std::filesystem::create_directory(where);
    *pipe = std::make_unique<NamedPipe>(where);
    return (*pipe)->Made();
}

// MOUNT of what stands at rel, or F12: refused, and nothing changes.
void MountOrLoad(MsxFilesCore& run, Place place, const std::string& rel)
{
    if (place == Place::kMounted) {
        run.core->ExecuteConsoleCommand(StringA(("MOUNT \"" + rel + "\"").c_str()));
        EXPECT_FALSE(run.core->TakeDrivesChanged());
    } else {
        EXPECT_FALSE(run.core->LoadStateFromFile(PathString(), false));
        EXPECT_FALSE(run.core->IsStarted());
    }
}

#ifdef _WIN32
constexpr const char* kWideShown = "media/?/other.rom";
#else
constexpr const char* kWideShown = "media/\xE4\xB8\x80/other.rom";  // as it is
#endif

constexpr const char* kPassedOver = "is not a file (a folder, a pipe or a device), passed over!";

} // namespace

TEST(MsxDriveFiles, WhatIsNotAFileIsRefusedAtOnce)
{
    // A settings file is not kept when it is a pipe: the copy refuses anything but a file.
    const struct {
        Place place;
        const char* rel;                 // where the folder or pipe goes
        const char* line;                // a console line saying so; for a settings file, its notice
        const char* pipeLine = nullptr;  // the line for a pipe when it is another
    } cases[] = {
        {Place::kBios, "prog/configs/msx_1/msx.rom", kPassedOver},
        {Place::kMounted, "media/pipe.rom", "Error: Not a file (a folder, a pipe or a device)!"},
        {Place::kState, "user/states/msx_1.sav",
         "[ERROR] Error while loading state from file \"msx_1.sav\" (not a file: a folder, a pipe or a device)"},
        {Place::kSettings, "user/settings/msx_1.ini",
         "Settings file \"msx_1.ini\" could not be read: it is a folder, the defaults are used.",
         "Settings file \"msx_1.ini\" could not be read nor kept as \"msx_1.ini.bad\" (not a file (a folder, a pipe "
         "or a device)): the defaults are used."},
        {Place::kSettings, "user/settings/msx.drv",
         "Settings file \"msx.drv\" could not be read: it is a folder, the defaults are used.",
         "Settings file \"msx.drv\" could not be read nor kept as \"msx.drv.bad\" (not a file (a folder, a pipe or a "
         "device)): the defaults are used."},
    };
    for (const auto& c : cases) {
        for (const bool pipe : {false, true}) {
            SCOPED_TRACE(std::string(c.rel) + (pipe ? " as a pipe" : " as a folder"));
            ProgramTree tree;
            std::unique_ptr<NamedPipe> pipeThere;  // gone before the tree
            MsxFilesCore run({{"media/other.rom", msx_test::TestCartridge()}});
            ASSERT_TRUE(run.SlotHolds("other.rom", true));
            // Unlatched, so that a MOUNT that went through would show in the latch too.
            run.Slot()->SetLatch(false);
            if (!MakeNonFile(c.rel, pipe ? &pipeThere : nullptr)) {
#ifdef _WIN32
                continue;  // Windows itself has no pipes in the file system
#endif
                FAIL() << "not made";
            }
            const std::string line = pipe && c.pipeLine ? c.pipeLine : c.line;
            switch (c.place) {
            case Place::kBios:
                EXPECT_FALSE(run.core->Start(false, false));
                EXPECT_TRUE(run.HasLine("[ERROR] File \"msx.rom\" (System BIOS (w/BASIC)) not found!"));
                break;
            case Place::kMounted:
            case Place::kState:
                MountOrLoad(run, c.place, "media/pipe.rom");
                break;
            case Place::kSettings: {
                // The notice the core prints as it prepares the machine.
                ObjectList notices;
                EXPECT_FALSE(run.machine->LoadMachineSettings(&notices));
                EXPECT_EQ(notices.Count(), 1);
                EXPECT_STREQ(notices.At(0) ? notices.At(0)->GetNarrow() : "", line.c_str());
                EXPECT_FALSE(run.machine->GetDriveBay()->LoadSettingsFile(ProgramTree::PathOf(c.rel)));
                break;
            }
            }
            if (c.place != Place::kSettings) {
                EXPECT_TRUE(run.HasLine(line)) << line;
            }
            EXPECT_TRUE(run.SlotHolds("other.rom", false)) << "the slot keeps its image and latch";
        }
    }
}

// Saved with other.rom in the slot; stopped, banked.rom mounted, and the state loaded: it
// is refused, and banked.rom stays in the slot, latched.
TEST(MsxDriveFiles, ARefusedStateLeavesTheDrivesAsTheyWere)
{
    const struct {
        const char* name;
        bool cut;      // the state ends 40 bytes after its drives block
        bool deleted;  // other.rom is gone
    } cases[] = {
        {"cut after its drives", true, false},
        {"whole, its cartridge deleted", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramTree tree;
        MsxFilesCore run({{"prog/configs/msx_1/msx.rom", msx_test::CBios()},
                          {"media/other.rom", msx_test::TestCartridge()},
                          {"media/banked.rom", coleco_test::ReadFile(KUV_ROM_MSX_BANKED_CART)}});
        ASSERT_TRUE(run.core->Start(false, false));
        ASSERT_TRUE(run.RunFrames(3));
        run.core->RequestPause();
        std::vector<u8> state = run.SaveBytes();
        run.core->ReleasePause();
        ASSERT_FALSE(state.empty());
        run.core->Stop();
        run.core->ExecuteConsoleCommand(StringA("MOUNT \"media/banked.rom\""));
        ASSERT_TRUE(run.SlotHolds("banked.rom", true)) << run.LastLine();

        if (c.cut) {  // the block's name stands at its opening and at its close
            const std::string name = "_DRIVES";
            auto at = std::search(state.begin(), state.end(), name.begin(), name.end());
            at = std::search(at + (at != state.end()), state.end(), name.begin(), name.end());
            ASSERT_LT(at - state.begin() + 7 + 40, static_cast<std::ptrdiff_t>(state.size()));
            state.resize(static_cast<size_t>(at - state.begin()) + 7 + 40);
        }
        if (c.deleted) {
            ASSERT_TRUE(std::filesystem::remove(ProgramTree::Where("media/other.rom")));
        }
        MemoryStream stream;
        ASSERT_TRUE(stream.Allocate(0, -1));
        ASSERT_EQ(stream.Write(state.data(), state.size()), state.size());
        EXPECT_FALSE(run.core->LoadStateFromStream(stream, false));
        EXPECT_FALSE(run.core->IsStarted());
        EXPECT_TRUE(run.SlotHolds("banked.rom", true)) << "slot: " << run.Slot()->GetPath().GetNarrow();
    }
}

// A file that stands at the path and does not open (held by another program, a link that
// leads nowhere) is said with the system's reason and never swapped for another file of
// its name: MOUNT's configs namesake, the state shipped beside the program. A BIOS
// candidate that does not open is passed over for the next, told once even when the
// user's data folder is the program's own and the search finds nothing.
TEST(MsxDriveFiles, WhatStandsAndDoesNotOpenIsSaidNotSwapped)
{
    const std::string reason = UnreadablePath::Reason();
    const struct {
        Place place;
        const char* rel;       // what does not open
        const char* namesake;  // the file of its name a search would find
        std::string line;
    } cases[] = {
        {Place::kMounted, "media/msx.rom", "prog/configs/msx.rom", "Error: File could not be read (" + reason + ")!"},
        {Place::kState, "user/states/msx_1.sav", "prog/states/msx_1.sav",
         "[ERROR] Error while loading state from file \"msx_1.sav\" (could not be read: " + reason + ")"},
        {Place::kBios, "prog/configs/msx_1/msx.rom", "prog/configs/msx.rom",
         "could not be read (" + reason + "), passed over!"},
        {Place::kBios, "prog/configs/msx_1/msx.rom", nullptr, std::string(kPassedOver)},
    };
    for (const auto& c : cases) {
        for (const bool ownData : {false, true}) {
            if (ownData && c.place != Place::kBios)
                continue;
            SCOPED_TRACE(std::string(c.rel) + (ownData ? ", data beside the program" : ""));
            ProgramTree tree;
            MsxFilesCore run({{"media/other.rom", msx_test::TestCartridge()}});
            if (ownData) {  // not under "Program Files": the data root is the program's folder
                BuildProgramFoldersFrom(
                    PathString(std::filesystem::absolute(ProgramTree::Where("prog/kuv.exe")).string().c_str()),
                    AppDataFolder());
            }
            run.Slot()->SetLatch(false);
            std::unique_ptr<UnreadablePath> held;
            if (c.namesake) {
                ProgramTree::WriteBytes(c.namesake, msx_test::CBios());
                held = std::make_unique<UnreadablePath>(ProgramTree::Where(c.rel));
                ASSERT_TRUE(held->Made());
            } else {
                ASSERT_TRUE(MakeNonFile(c.rel));
            }
            const std::string first = run.LastLine();
            switch (c.place) {
            case Place::kBios:
                EXPECT_EQ(run.core->Start(false, false), c.namesake != nullptr) << "the next candidate is taken";
                run.core->Stop();
                break;
            default:
                MountOrLoad(run, c.place, "media/msx.rom");
                break;
            }
            i32 told = 0;
            for (i32 back = 0; back < 40 && run.LastLine(back) != first; ++back)
                told += run.LastLine(back).find(c.line) != std::string::npos;
            EXPECT_EQ(told, 1) << c.line;
            EXPECT_TRUE(run.SlotHolds("other.rom", false)) << "the slot keeps its image and latch";
        }
    }
}

// An image the drive file names that does not open at the start is told with the open's
// reason; the slot stays empty and the drive file's entry is kept as it was read.
TEST(MsxDriveFiles, ARememberedImageThatDoesNotOpenIsTold)
{
    for (const std::string row : {"gone", "held", "folder", "gone from a folder named U+4E00"}) {
        SCOPED_TRACE(row);
        ProgramTree tree;
        MsxFilesCore run({{"media/other.rom", msx_test::TestCartridge()}});
        const bool wide = row.ends_with("U+4E00");  // the notice names it "?" there, the rest after it
        const std::filesystem::path there = ProgramTree::Where("media") / std::filesystem::path(u8"\u4E00") / "other.rom";
        if (wide) {
            std::filesystem::create_directories(there.parent_path());
            std::filesystem::copy_file(ProgramTree::Where("media/other.rom"), there);
            run.Slot()->Eject();
            ASSERT_TRUE(run.Slot()->InsertFile(FromNativePath(there)));
        }
        ASSERT_TRUE(run.machine->SaveMachineSettings());
        const PathString image = run.Slot()->GetPath();
        run.Slot()->Eject();
        ProgramTree::Remove("media/other.rom");
        std::filesystem::remove(there);
        std::unique_ptr<UnreadablePath> held;
        if (row == "held")
            held = std::make_unique<UnreadablePath>(ProgramTree::Where("media/other.rom"));
        ASSERT_TRUE(!held || held->Made());
        if (row == "folder")
            ProgramTree::MakeFolder("media/other.rom");
        const std::string reason = row == "folder" ? "not a file" : FileErrorText(ProbePath(image).reason).GetNarrow();
        ObjectList notices;
        EXPECT_TRUE(run.machine->LoadMachineSettings(&notices));
        ASSERT_EQ(notices.Count(), 1);
        const std::string shown = ProgramTree::TextOf(wide ? kWideShown : "media/other.rom");
        EXPECT_EQ(notices.At(0)->GetNarrow(), "Drive \"Cartridge 1\": image \"" + shown +
                                                  "\" could not be opened (" + reason + "), the drive is left empty.");
        EXPECT_FALSE(run.Slot()->HasFile());
        EXPECT_EQ(run.machine->GetDriveBay()->GetRecordedPath(DriveBay::kCartridge, 0).Compare(image), 0);
    }
}
