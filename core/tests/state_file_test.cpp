// State files: a save that fails part-way leaves the previous file whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/file_io.h"
#include "base/native_path.h"
#include "core/tests/core_rig.h"
#include "emu/tests/program_tree.h"

namespace {

class FileMachine : public TestMachine {
public:
    explicit FileMachine(std::vector<u8> program) : TestMachine(std::move(program)) { id = "test_pc"; }
    bool SaveState(Archive& archive) override { return !failSave && TestMachine::SaveState(archive); }
    std::atomic<bool> failSave{false};
};

const std::vector<u8> kCounting = {
    0x3C,        // 0000 INC A
    0x32, 0x00, 0x80,  // 0001 LD (8000h),A
    0x18, 0xFA,  // 0004 JR 0000h
};

} // namespace

TEST(StateFile, AFailedSaveKeepsThePreviousFile)
{
    ProgramTree tree;
    FakeClock clock;
    auto* machine = new FileMachine(kCounting);
    auto owner = std::make_unique<EmuCore>(nullptr, machine, nullptr, nullptr, nullptr, &clock);
    EmuCore& core = *owner;
    std::atomic<i32> frames{0};
    core.SetFrameHook([](void* n) { ++*static_cast<std::atomic<i32>*>(n); }, &frames);
    ASSERT_TRUE(core.Run());
    ASSERT_TRUE(core.Start(false, false));
    core.Break(false);
    ASSERT_TRUE(core.SaveStateToFile(PathString(), false));
    const std::vector<u8> first = ProgramTree::Read("user/states/test_pc.sav");
    ASSERT_GT(first.size(), 100u);

    const i32 held = frames.load();
    core.Continue();
    ASSERT_TRUE(WaitFor([&] { return frames.load() > held; })) << "the machine runs on";
    core.Break(false);
    machine->failSave = true;  // the machine's record fails after everything before it was written
    EXPECT_FALSE(core.SaveStateToFile(PathString(), false));
    core.GetConsole().FlushPending();
    StringA last;
    u32 color = 0;
    ASSERT_TRUE(core.GetConsole().GetLine(core.GetConsole().GetLineCount() - 1, &last, &color));
    EXPECT_STREQ(last.CStr(), "[ERROR] Error while saving state to file \"test_pc.sav\"");
    EXPECT_TRUE(ProgramTree::Read("user/states/test_pc.sav") == first) << "the previous state is whole";
    EXPECT_FALSE(ProgramTree::Exists("user/states/test_pc.sav.tmp"));

    machine->failSave = false;
    EXPECT_TRUE(core.SaveStateToFile(PathString(), false));
    EXPECT_FALSE(ProgramTree::Read("user/states/test_pc.sav") == first) << "the machine ran on in between";

    // A folder that cannot be made: the reason is the folder's, not the file's open below it.
    std::filesystem::remove_all(ProgramTree::Where("user/states"));
    ProgramTree::WriteBytes("user/states", {'x'});
    EXPECT_FALSE(core.SaveStateToFile(PathString(), false));
#ifdef _WIN32
    const std::string reason = FileErrorText(std::error_code(183, std::system_category())).GetNarrow();
    const std::string shown = ProgramTree::TextOf("appdata/?/KUVMorvuEmu/states/");
#else
    const std::string reason = FileErrorText(std::make_error_code(std::errc::file_exists)).GetNarrow();
    const std::string shown = ProgramTree::TextOf("appdata/\xE4\xB8\x80/KUVMorvuEmu/states/");
#endif
    const std::string failure = core.GetStateSaveFailure().GetNarrow();
    const std::string notMade = "\", which could not be made: ";
    ASSERT_NE(failure.rfind(notMade), std::string::npos) << failure;
    EXPECT_EQ(failure.substr(failure.rfind(notMade) + notMade.size()), reason) << failure;

    // F11 under a folder named past Latin-1: the console tells the folder whole, "?" in the
    // character's place.
    const std::filesystem::path root = ProgramTree::Where("appdata") / std::filesystem::path(u8"\u4E00");
    std::filesystem::create_directories(root / "KUVMorvuEmu");
    std::ofstream(root / "KUVMorvuEmu" / "states") << 'x';
    BuildProgramFoldersFrom(ProgramTree::Native("tree/Program Files/KUV/kuv.exe"), FromNativePath(root));
    EXPECT_FALSE(core.SaveStateToFile(PathString(), false));
    core.GetConsole().FlushPending();
    ASSERT_TRUE(core.GetConsole().GetLine(core.GetConsole().GetLineCount() - 1, &last, &color));
    EXPECT_EQ(std::string(last.CStr()), "in folder \"" + shown + notMade + reason);
    core.Shutdown();
}
