// The program's notices fit the console: broken at spaces into rows no longer than its
// columns, every word kept in order, on the start screen and again when a run begins.
#include <gtest/gtest.h>

#include "core/tests/core_rig.h"
#include "emu/trace_report.h"
#include "video/tests/video_rig.h"

TEST(NoticeWidth, NoticesAreBrokenToTheConsolesColumns)
{
    const std::string folder = "/home/someone/.wine/drive_c/users/someone/AppData/Roaming/KUVMorvuEmu/states/";
    const std::string used = "the values read before the damage are used, the defaults for the rest.";
    const std::vector<std::string> texts = {
        "Settings file \"msx_1.ini\" could not be read: kept as \"msx_1.ini.bad\", " + used,
        "Settings file \"msx_1.ini\" could not be read nor kept as \"msx_1.ini.bad\" (Access denied): " + used,
        "Settings file \"kuvemu.ini\" could not be read: kept as \"kuvemu.ini.bad\", " + used,
        "Drive \"Cartridge 1\": image \"" + folder + "game.rom\" could not be opened (File not found), the drive "
            "is left empty.",
        "in folder \"" + folder + "a folder named at some length/\", which could not be made: Permission denied",
        "[ERROR] \"" + folder + "coleco.rom\" could not be read (Permission denied), passed over!",
    };
    // The screen's client width in the default window (98 columns), and in the narrowest one.
    for (const i32 width : {790, 512}) {
        SCOPED_TRACE(width);
        CoreRig rig;
        CoreConsole& console = rig.core->GetConsole();
        for (size_t i = 0; i < 4; ++i)
            rig.core->AddStartNotice(StringA(texts[i].c_str()));
        ConsoleReport::PrintError(&console, "%s", texts[4].c_str());
        rig.machine->LogColoredF("%s", texts[5].c_str());
        auto expectFitAndWhole = [&](size_t whole) {
            BufferSurface frame;
            frame.SetSize(width, 200, false);
            ASSERT_TRUE(console.Draw(&frame));
            // The notices are the error-coloured lines; the start screen's own are centred.
            std::string all;
            StringA line;
            u32 color = 0;
            for (i32 i = 0; console.GetLine(i, &line, &color); ++i) {
                EXPECT_TRUE(color != ReportColor::kError || line.GetLength() <= console.GetColumns()) << line.CStr();
                all += line.CStr();
            }
            std::erase(all, ' ');
            for (std::string text : std::vector(texts.begin(), texts.begin() + whole)) {
                std::erase(text, ' ');
                EXPECT_NE(all.find(text), std::string::npos) << text;
            }
        };
        expectFitAndWhole(texts.size());
        // A run begins with the start screen's notices, printed again.
        ASSERT_TRUE(rig.core->Start(false, true));
        expectFitAndWhole(4);
    }
}
