// The About box, the state commands and the machine choice against a running core.
#include <algorithm>
#include <filesystem>

#include "app/about_box.h"
#include "app/computer_menu.h"
#include "app/state_commands.h"
#include "app/tests/parts_rig.h"
#include "base/program_folders.h"

namespace {

class Entry : public MenuEntryInterface {
public:
    explicit Entry(i32 value) : value_(value) {}
    i32 GetUserValue() const override { return value_; }
    bool IsEnabled() const override { return enabled_; }
    void Disable() override { enabled_ = false; }

private:
    i32 value_;
    bool enabled_ = true;
};

const char* const kStates[] = {"stopped", "running", "break"};

} // namespace

// The dialog runs with the emulation in break; the run state afterwards is the one before.
TEST_F(PartsTest, AboutBoxHoldsARunInBreakAndPutsItBack)
{
    for (const char* state : kStates) {
        SCOPED_TRACE(state);
        Bring(state);
        ShowAboutBox(shell);
        EXPECT_EQ(shell.calls.back(), "about");
        EXPECT_EQ(shell.breakSeen, std::string(state) != "stopped");
        EXPECT_EQ(StateOf(), state);
        shell.core->Stop();
    }
}

TEST(AboutBoxTest, WorksWithoutACoreAndSizesItsTitle)
{
    RecordingParts shell;
    ShowAboutBox(shell);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"about"});

    const struct {
        i32 length, points;
    } sizes[] = {{30, 14}, {26, 14}, {25, 15}, {24, 15}, {23, 16}, {22, 16}, {21, 17}, {18, 17}, {17, 19}, {0, 19}};
    for (const auto& [length, points] : sizes)
        EXPECT_EQ(AboutTitleFontSize(length), points) << length;
    EXPECT_STREQ(AboutVersionText("").GetNarrow(), "Version 30.04.2013");
    EXPECT_STREQ(AboutVersionText("x86").GetNarrow(), "Version 30.04.2013 (x86)");
}

TEST_F(PartsTest, SaveAsksInBreakAndWritesTheStateFileOnYes)
{
    EXPECT_FALSE(SaveStateOffered(shell));
    EXPECT_FALSE(ExecuteSaveState(shell)) << "nothing to save while stopped";
    const struct {
        const char* state;
        bool answer;
    } cases[] = {{"running", false}, {"break", false}, {"running", true}};
    for (const auto& [state, answer] : cases) {
        SCOPED_TRACE(std::string(state) + (answer ? " yes" : " no"));
        Bring(state);
        EXPECT_TRUE(SaveStateOffered(shell));
        shell.answer = answer;
        shell.calls.clear();
        EXPECT_TRUE(ExecuteSaveState(shell));
        EXPECT_EQ(shell.calls.front(), "ask 1 SAVE emulation state?");
        EXPECT_TRUE(shell.breakSeen);
        EXPECT_EQ(StateOf(), state);
        EXPECT_EQ(ProgramTree::Exists("user/states/coleco_v.sav"), answer);
        shell.core->Stop();
    }
}

TEST_F(PartsTest, LoadAsksOnlyWhileRunningAndRefreshesIconsAndScreen)
{
    Bring("running");
    ASSERT_TRUE(ExecuteSaveState(shell));
    ASSERT_TRUE(ProgramTree::Exists("user/states/coleco_v.sav"));
    shell.core->Stop();

    for (const char* state : kStates) {
        SCOPED_TRACE(state);
        Bring(state);
        shell.calls.clear();
        shell.breakSeen = false;
        EXPECT_TRUE(ExecuteLoadState(shell));
        const bool asked = std::string(state) != "stopped";
        EXPECT_EQ(shell.calls.front(), asked ? "ask 2 LOAD emulation state!" : "redraw");
        EXPECT_EQ(shell.breakSeen, asked);
        for (const char* call : {"redraw", "icon+path"})
            EXPECT_NE(std::find(shell.calls.begin(), shell.calls.end(), call), shell.calls.end()) << call;
        // A state saved while running leaves a stopped machine running after the load.
        EXPECT_EQ(StateOf(), asked ? state : "running");
        shell.core->Stop();
    }
}

TEST_F(PartsTest, MachineChoiceReplacesOnlyAStoppedMachine)
{
    const i32 coleco = shell.machineIndex;
    const i32 msx = coleco == 0 ? 1 : 0;
    Entry same(coleco), other(msx), outside(shell.manager.GetMachineCount());
    EXPECT_TRUE(ExecuteSelectComputer(shell, same));
    EXPECT_FALSE(ExecuteSelectComputer(shell, outside));
    Bring("running");
    EXPECT_FALSE(ExecuteSelectComputer(shell, other)) << "a running machine stays";
    EXPECT_TRUE(shell.calls.empty());
    shell.core->Stop();

    EXPECT_TRUE(ExecuteSelectComputer(shell, other));
    EXPECT_FALSE(other.IsEnabled());
    EXPECT_EQ(shell.machineIndex, msx);
    EXPECT_EQ(shell.core->GetCoreIndex(), msx);
    EXPECT_STREQ(shell.manager.machineId.GetNarrow(), "msx_1");
    // The old machine's option entries go before it does.
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"strip", "options", "drives", "update"}));
    EXPECT_FALSE(shell.core->IsStarted());
}

TEST(MachineChoiceTest, CreatesTheCoreWhenThereIsNone)
{
    ProgramTree tree;
    RecordingParts shell;
    Entry first(0);
    EXPECT_TRUE(ExecuteSelectComputer(shell, first));
    ASSERT_NE(shell.core, nullptr);
    EXPECT_EQ(shell.machineIndex, 0);
}

namespace {

// Every file and folder under the working folder.
std::vector<std::string> FilesHere()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("."))
        names.push_back(entry.path().generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ErrorBox(const RecordingParts& shell)
{
    for (const std::string& call : shell.calls) {
        if (call.rfind("error ", 0) == 0)
            return call.substr(6);
    }
    return "(no error box)";
}

} // namespace

// A state file that cannot be written is told in an error box while the run is held: the
// console's line, the folder and the system's reason; the old file stays. Without the
// program's folder nothing is written anywhere (the working folder least of all), and
// each save says so.
TEST_F(PartsTest, FailedSavesAreToldInAnErrorBoxAndWriteNothingElse)
{
    Bring("running");  // the BIOS is found while the folder is known
    ASSERT_TRUE(ExecuteSaveState(shell));
    const std::vector<u8> old = ProgramTree::Read("user/states/coleco_v.sav");
    ProgramTree::MakeFolder("user/states/coleco_v.sav.tmp");  // the new file cannot be made
    shell.calls.clear();
    ASSERT_TRUE(ExecuteSaveState(shell));
    const std::string head = "Error while saving state to file \"coleco_v.sav\"\nin folder \"" +
                             ProgramTree::TextOf("user/states/") + "\": ";  // and the reason
    const std::string box = ErrorBox(shell);
    EXPECT_TRUE(box.size() > head.size() && box.rfind(head, 0) == 0) << box;
    EXPECT_TRUE(shell.breakSeen);
    EXPECT_EQ(StateOf(), "running");
    EXPECT_EQ(ProgramTree::Read("user/states/coleco_v.sav"), old);

    BuildProgramFoldersFrom(PathString(), PathString());
    const std::vector<std::string> before = FilesHere();
    const std::string nowhere = "not written: the program's own folder could not be found";
    shell.calls.clear();
    ExecuteSaveState(shell);
    EXPECT_EQ(ErrorBox(shell), "Error while saving state to file \"coleco_v.sav\"\n" + nowhere);
    StringW failure;
    EXPECT_FALSE(shell.manager.SaveSettings(&failure));
    EXPECT_EQ(std::string(failure.GetNarrow()), "The program's settings " + nowhere);
    shell.core->Shutdown();  // the worker saves the machine's settings as it ends
    const std::string machine = shell.core->GetSettingsSaveFailure().GetNarrow();
    EXPECT_NE(machine.find(".ini\" " + nowhere), std::string::npos) << machine;
    EXPECT_EQ(FilesHere(), before);
}

// F12 that loads nothing says why in an error box, stopped or running: the console's line
// lies behind the screen, its "[ERROR] " tag too. A state that loads shows none.
TEST_F(PartsTest, FailedLoadsAreToldInAnErrorBox)
{
    Bring("running");
    ASSERT_TRUE(ExecuteSaveState(shell));
    shell.core->Stop();
    const std::vector<u8> good = ProgramTree::Read("user/states/coleco_v.sav");
    const std::vector<u8> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    const struct {
        const char* name;
        std::vector<u8> bytes;  // empty: no state saved
        std::string box;
    } cases[] = {
        {"no state saved", {}, "State not loaded, because file \"coleco_v.sav\" did not exists (no state was saved?)"},
        {"damaged", cut, "Error while loading state from file \"coleco_v.sav\" (incorrect version or format)"},
        {"loaded", good, "(no error box)"},
    };
    for (const char* state : {"stopped", "running"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(state) + ", " + c.name);
            ProgramTree::Remove("user/states/coleco_v.sav");
            if (!c.bytes.empty())
                ProgramTree::WriteBytes("user/states/coleco_v.sav", c.bytes);
            Bring(state);
            shell.calls.clear();
            EXPECT_TRUE(ExecuteLoadState(shell));
            EXPECT_EQ(ErrorBox(shell), c.box);
            EXPECT_EQ(shell.core->GetStateLoadFailure().IsEmpty(), c.bytes == good);
            shell.core->Stop();
        }
    }
}

// Replacing the machine writes the old one's settings: when they cannot be written, an
// error box says which files, where and why.
TEST_F(PartsTest, MachineChoiceTellsOfSettingsNotSaved)
{
    ProgramTree::WriteBytes("user/settings", {'x'});  // no settings folder can be made
    Entry other(shell.machineIndex == 0 ? 1 : 0);
    ASSERT_TRUE(ExecuteSelectComputer(shell, other));
    const std::string box = ErrorBox(shell);
    const std::string line =
        "\"coleco_v.ini\" in folder \"" + ProgramTree::TextOf("user/settings/") + "\", which could not be made: ";
    EXPECT_EQ(box.rfind("Settings could not be saved (the files keep what they held):\n", 0), 0u) << box;
    EXPECT_NE(box.find(line), std::string::npos) << box;
}
