#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "app/shell_interface.h"
#include "app/tests/manager_rig.h"
#include "emu/computer.h"
#include "emu/drive_image.h"
#include "emu/tests/program_tree.h"

namespace {

// The main window as the commands see it: a manager, its core and a record of what the
// commands asked of the window.
class RecordingShell : public ShellInterface {
public:
    EmuManager manager{AddTestOutputs};
    EmuCore* core = nullptr;
    i32 updates = 0;
    i32 syncs = 0;
    i32 cursor = -1;
    i32 closes = 0;
    bool toolbarShown = true;
    std::vector<RunButton> disabled;

    EmuManager& GetManager() override { return manager; }
    EmuCore* GetCore() override { return core; }
    void* GetOwnerWindow() override { return this; }
    void UpdateAllEntries() override { ++updates; }
    void SyncToolbarWithMenu() override { ++syncs; }
    void DisableRunButton(RunButton button) override { disabled.push_back(button); }
    void ShowToolbar(bool show) override { toolbarShown = show; }
    void SetScreenCursor(i32 kind) override { cursor = kind; }
    void RedrawScreen() override {}
    void CloseWindow() override { ++closes; }
};

class Entry : public MenuEntryInterface {
public:
    explicit Entry(i32 value = -1, bool enabled = true) : value_(value), enabled_(enabled) {}
    i32 GetUserValue() const override { return value_; }
    bool IsEnabled() const override { return enabled_; }
    void Disable() override { enabled_ = false; }

private:
    i32 value_;
    bool enabled_;
};

// A ColecoVision core booting our own BIOS and cartridge.
class MenuCommandsTest : public ::testing::Test {
protected:
    ProgramTree tree;
    RecordingShell shell;

    void SetUp() override
    {
        shell.core = MakeColecoCore(shell.manager);
        ASSERT_NE(shell.core, nullptr);
    }

    bool Run(MenuCommand command, i32 value = -1)
    {
        Entry entry(value);
        return ExecuteCommand(shell, command, entry);
    }

    // "e" enabled, "c" checked, "-" neither; "x" the entry is not served.
    std::string Shown(MenuCommand command, i32 value = -1)
    {
        EntryState state;
        if (!RefreshCommand(shell, command, value, &state))
            return "x";
        std::string text = std::string(state.enabled ? "e" : "") + (state.checked ? "c" : "");
        return text.empty() ? "-" : text;
    }
};

struct Row {
    const char* name;
    MenuCommand command;
    i32 value;
    const char* stopped;
    const char* running;
    const char* paused;
};

// The test outputs: sound 1 and renderer 0 are chosen. The Computer entries follow below.
const Row kRows[] = {
    {"Start", MenuCommand::kStart, -1, "e", "-", "-"},
    {"Stop", MenuCommand::kStop, -1, "-", "e", "e"},
    {"Pause", MenuCommand::kPause, -1, "-", "e", "ec"},
    {"Synchronization", MenuCommand::kSynchronization, -1, "ec", "ec", "ec"},
    {"Fast Initialization", MenuCommand::kFastInitialization, -1, "e", "e", "e"},
    {"Save State", MenuCommand::kSaveState, -1, "-", "e", "e"},
    {"Load State", MenuCommand::kLoadState, -1, "e", "e", "e"},
    {"Exit", MenuCommand::kExit, -1, "e", "e", "e"},
    {"Renderer 0", MenuCommand::kSelectRenderer, 0, "ec", "c", "c"},
    {"Renderer 1", MenuCommand::kSelectRenderer, 1, "e", "-", "-"},
    {"Sound 0", MenuCommand::kSelectSound, 0, "e", "-", "-"},
    {"Sound 1", MenuCommand::kSelectSound, 1, "ec", "c", "c"},
    {"Capture Mouse", MenuCommand::kCaptureMouse, -1, "ec", "ec", "ec"},
    // A core that does not run shows its console.
    {"Emulation Screen", MenuCommand::kEmulationScreen, -1, "-", "ec", "ec"},
    {"Console Window", MenuCommand::kConsoleWindow, -1, "ec", "e", "e"},
    {"Toolbar", MenuCommand::kToolbar, 0, "ec", "ec", "ec"},
    {"Toolbar 1", MenuCommand::kToolbar, 1, "x", "x", "x"},
    {"Maximize", MenuCommand::kSettingsFlag, kMaximizeOnStartup, "e", "e", "e"},
    {"Auto-start", MenuCommand::kSettingsFlag, kAutoStartEmulation, "e", "e", "e"},
    {"Settings 3", MenuCommand::kSettingsFlag, 3, "x", "x", "x"},
    {"About", MenuCommand::kAbout, -1, "e", "e", "e"},
};

} // namespace

TEST_F(MenuCommandsTest, EveryEntryWhileStoppedRunningAndPaused)
{
    const i32 machines = shell.manager.GetMachineCount();
    const i32 coleco = shell.core->GetCoreIndex();
    // The Computer entries: the core's machine checked, every entry offered only when stopped.
    auto computers = [&](const char* mine, const char* other) {
        for (i32 i = 0; i < machines; ++i)
            EXPECT_EQ(Shown(MenuCommand::kSelectComputer, i), i == coleco ? mine : other) << "Computer " << i;
        EXPECT_EQ(Shown(MenuCommand::kSelectComputer, machines), "x");
    };
    ASSERT_STREQ(shell.manager.GetMachineFactory(coleco)->GetId(), "coleco_v");
    computers("ec", "e");
    EXPECT_FALSE(Run(MenuCommand::kEmulationScreen));
    for (const Row& row : kRows)
        EXPECT_EQ(Shown(row.command, row.value), row.stopped) << row.name << " before the first start";

    ASSERT_TRUE(Run(MenuCommand::kStart));
    ASSERT_TRUE(shell.core->IsStarted());
    for (const Row& row : kRows)
        EXPECT_EQ(Shown(row.command, row.value), row.running) << row.name << " running";
    computers("c", "-");

    ASSERT_TRUE(Run(MenuCommand::kPause));
    ASSERT_TRUE(shell.core->IsInBreak());
    for (const Row& row : kRows)
        EXPECT_EQ(Shown(row.command, row.value), row.paused) << row.name << " paused";
    computers("c", "-");

    ASSERT_TRUE(Run(MenuCommand::kStop));
    ASSERT_FALSE(shell.core->IsStarted());
    for (const Row& row : kRows)
        EXPECT_EQ(Shown(row.command, row.value), row.stopped) << row.name << " stopped";
}

// Pause and Stop while stopped and Start while running answer true and call nothing.
TEST_F(MenuCommandsTest, CommandsWithNothingToDoLeaveCoreAndToolbarAlone)
{
    EXPECT_TRUE(Run(MenuCommand::kPause));
    EXPECT_TRUE(Run(MenuCommand::kStop));
    EXPECT_EQ(shell.syncs, 0);
    EXPECT_TRUE(Run(MenuCommand::kStart));
    EXPECT_TRUE(Run(MenuCommand::kStart));
    EXPECT_EQ(shell.syncs, 1);
    EXPECT_EQ(shell.disabled, std::vector<RunButton>{RunButton::kStart});
    // Start shows the hand cursor and arms the capture mode when double-click capture is on.
    EXPECT_EQ(shell.cursor, 2);
    EXPECT_TRUE(shell.mouseCaptured);
}

TEST_F(MenuCommandsTest, StartIsOfferedOnlyForAMachineWithACpu)
{
    auto* empty = new EmuCore(shell.manager.GetCoreSettings(), nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(empty->Run());
    EmuCore* machined = shell.core;
    shell.core = empty;
    EXPECT_EQ(Shown(MenuCommand::kStart), "-");
    Entry entry;
    EXPECT_FALSE(ExecuteCommand(shell, MenuCommand::kStart, entry));
    EXPECT_TRUE(entry.IsEnabled());
    EXPECT_TRUE(shell.disabled.empty());
    shell.manager.RemoveCore(empty);

    shell.core = nullptr;
    EXPECT_EQ(Shown(MenuCommand::kStart), "-");
    EXPECT_FALSE(Run(MenuCommand::kStart));
    EXPECT_EQ(Shown(MenuCommand::kSynchronization), "-");
    EXPECT_EQ(Shown(MenuCommand::kConsoleWindow), "-");
    EXPECT_EQ(Shown(MenuCommand::kEmulationScreen), "-");
    shell.core = machined;
}

TEST_F(MenuCommandsTest, TogglesAndOutputChoicesWhileRunning)
{
    EXPECT_TRUE(Run(MenuCommand::kSynchronization));
    EXPECT_FALSE(shell.core->IsSyncEnabled());
    EXPECT_TRUE(Run(MenuCommand::kToolbar, 0));
    EXPECT_FALSE(shell.toolbarShown);
    EXPECT_TRUE(Run(MenuCommand::kCaptureMouse));  // off: the screen keeps the arrow
    EXPECT_EQ(shell.cursor, 0);
    EXPECT_TRUE(Run(MenuCommand::kStart));
    EXPECT_NE(shell.cursor, 2);
    EXPECT_FALSE(Run(MenuCommand::kSelectRenderer, 1));  // refused while running
    EXPECT_EQ(shell.manager.rendererIndex, 0);
}
