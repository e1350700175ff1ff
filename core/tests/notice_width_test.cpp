// The program's notices fit the console: broken at spaces into rows no longer than its
// columns, every word kept in order, on the start screen and again when a run begins.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/image_holder.h"
#include "core/tests/core_rig.h"
#include "emu/tests/program_tree.h"
#include "emu/trace_report.h"

namespace {

class Frame : public ImageHolder {
public:
    Frame(i32 width, i32 height) : pixels_(static_cast<size_t>(width * height))
    {
        AllocateRows(width, height);
        for (i32 y = 0; y < height; ++y)
            SetRow(y, pixels_.data() + y * width);
    }

private:
    std::vector<u32> pixels_;
};

enum class Via { kStartNotice, kReportError, kLog };

struct Notice {
    Via via;
    std::string text;
};

std::string WithoutSpaces(std::string text)
{
    std::erase(text, ' ');
    return text;
}

// After a Draw each notice stands whole and in order on the console, in lines no longer
// than its columns (its own lines: the others may be the debugger's, which are cut).
void ExpectFitAndWhole(CoreConsole& console, Frame& frame, const std::vector<Notice>& notices, bool keptOnly)
{
    ASSERT_TRUE(console.Draw(&frame));
    std::string all;
    for (i32 i = 0; i < console.GetLineCount(); ++i) {
        StringA line;
        console.GetLine(i, &line, nullptr);
        all += line.CStr();
        for (const Notice& notice : notices) {
            if (notice.text.find(line.CStr()) != std::string::npos) {
                EXPECT_LE(line.GetLength(), console.GetColumns()) << line.CStr();
            }
        }
    }
    for (const Notice& notice : notices) {
        if (!keptOnly || notice.via == Via::kStartNotice) {
            EXPECT_NE(WithoutSpaces(all).find(WithoutSpaces(notice.text)), std::string::npos) << notice.text;
        }
    }
}

} // namespace

TEST(NoticeWidth, NoticesAreBrokenToTheConsolesColumns)
{
    const std::string folder = "/home/someone/.wine/drive_c/users/someone/AppData/Roaming/KUVMorvuEmu/states/";
    const std::string used = "the values read before the damage are used, the defaults for the rest.";
    const std::vector<Notice> notices = {
        {Via::kStartNotice, "Settings file \"msx_1.ini\" could not be read: kept as \"msx_1.ini.bad\", " + used},
        {Via::kStartNotice, "Settings file \"msx_1.ini\" could not be read nor kept: " + used},
        {Via::kStartNotice, "Settings file \"kuvemu.ini\" could not be read: kept as \"kuvemu.ini.bad\", " + used},
        {Via::kReportError, "[ERROR] Error while saving state to file \"coleco_v.sav\" in folder \"" + folder +
                                "a folder named at some length/\": the file could not be made (Permission denied)"},
        {Via::kLog, "[ERROR] \"" + folder + "coleco.rom\" could not be read (Permission denied), passed over!"},
    };
    // The screen's client width in the default 800-pixel window, and in the narrowest one.
    for (const i32 width : {792, 512}) {
        SCOPED_TRACE(width);
        ProgramTree tree;
        FakeClock clock;
        auto* machine = new TestMachine;
        auto core = std::make_unique<EmuCore>(nullptr, machine, nullptr, nullptr, nullptr, &clock);
        ASSERT_TRUE(core->Run());
        for (const Notice& notice : notices) {
            if (notice.via == Via::kStartNotice)
                core->AddStartNotice(StringA(notice.text.c_str()));
            else if (notice.via == Via::kReportError)
                ConsoleReport::PrintError(&core->GetConsole(), "%s", notice.text.c_str());
            else
                machine->LogColoredF("%s", notice.text.c_str());
        }
        Frame frame(width, 200);
        ExpectFitAndWhole(core->GetConsole(), frame, notices, false);
        // A run begins with the start screen's notices, printed again.
        ASSERT_TRUE(core->Start(false, true));
        ExpectFitAndWhole(core->GetConsole(), frame, notices, true);
        core->Stop();
        core->Shutdown();
    }
}
