// The program's notices fit the console at every width it takes: broken at spaces into
// rows no longer than its columns, every word kept in order, broken again when the window
// is resized, on the start screen and again when a run begins.
#include <gtest/gtest.h>

#include "core/tests/core_rig.h"
#include "emu/trace_report.h"
#include "video/tests/video_rig.h"

namespace {

// Where text's rows begin among lines, checked: each row is the next piece of the text, no
// longer than columns; a row ends at a space only where the next word would not have fit
// on it, and inside a word only where that word fills a whole row by itself. Empty when
// such rows are there, else what is wrong.
std::string NoticeRowsFault(const std::vector<std::string>& lines, const std::string& text, size_t columns)
{
    std::string fault = "not found";
    for (size_t first = 0; first < lines.size(); ++first) {
        if (lines[first].empty() || text.compare(0, lines[first].size(), lines[first]) != 0)
            continue;
        size_t pos = 0;
        fault.clear();
        for (size_t i = first; fault.empty() && pos < text.size(); ++i) {
            const std::string row = i < lines.size() ? lines[i] : std::string();
            if (row.empty() || row.size() > columns || text.compare(pos, row.size(), row) != 0) {
                fault = "row \"" + row + "\" is not the next piece of the text within " + std::to_string(columns);
                break;
            }
            pos += row.size();
            if (pos == text.size())
                break;
            if (text[pos] == ' ') {
                pos = text.find_first_not_of(' ', pos);
                const size_t word = std::min(text.find(' ', pos), text.size()) - pos;
                if (row.size() + 1 + word <= columns)
                    fault = "row \"" + row + "\" ends where the next word had room";
            } else if (row.size() != columns || row.find(' ') != std::string::npos) {
                fault = "row \"" + row + "\" ends inside a word where a space was free";
            }
        }
        if (fault.empty())
            return fault;
    }
    return fault;
}

}  // namespace

TEST(NoticeWidth, NoticesAreBrokenToTheConsolesColumnsAtEveryWidth)
{
    const std::string folder = "/home/someone/.wine/drive_c/users/someone/AppData/Roaming/KUVMorvuEmu/states/";
    const std::string used = "the values read before the damage are used, the defaults for the rest.";
    const std::vector<std::string> texts = {
        "Settings file \"msx_1.ini\" could not be read: kept as \"msx_1.ini.bad\", " + used,
        "Settings file \"msx_1.ini\" could not be read nor kept as \"msx_1.ini.bad\" (Access denied): " + used,
        "Settings file \"kuvemu.ini\" could not be read: kept as \"kuvemu.ini.bad\", " + used,
        "Drive \"Cartridge 1\": image \"" + folder + "game.rom\" could not be opened (File not found), the drive "
            "is left empty.",
        "Press F5 in the console or choose Start to run the machine; HELP lists the commands.",
        "in folder \"" + folder + "a folder named at some length/\", which could not be made: Permission denied",
        "[ERROR] \"" + folder + "coleco.rom\" could not be read (Permission denied), passed over!",
    };
    CoreRig rig;
    CoreConsole& console = rig.core->GetConsole();
    for (size_t i = 0; i < 4; ++i)
        rig.core->AddStartNotice(StringA(texts[i].c_str()));
    ConsoleReport::PrintError(&console, "%s", texts[5].c_str());
    rig.machine->LogColoredF("%s", texts[6].c_str());
    // The screen's client width in the default window (98 columns), in the narrowest one,
    // and in a wider one: the same console, resized.
    auto expectWholeAt = [&](i32 width, size_t from, size_t to) {
        SCOPED_TRACE(width);
        BufferSurface frame;
        frame.SetSize(width, 200, false);
        ASSERT_TRUE(console.Draw(&frame));
        std::vector<std::string> lines;
        StringA line;
        for (i32 i = 0; console.GetLine(i, &line, nullptr); ++i)
            lines.emplace_back(line.CStr());
        const size_t columns = static_cast<size_t>(width - 17) / 8;  // beside the scroll bar
        for (size_t i = from; i < to; ++i)
            EXPECT_EQ(NoticeRowsFault(lines, texts[i], columns), "") << texts[i];
    };
    for (const i32 width : {790, 512, 1000, 790})
        expectWholeAt(width, 0, texts.size());
    // A run begins with the start screen's notices, printed again.
    ASSERT_TRUE(rig.core->Start(false, true));
    for (const i32 width : {512, 790})
        expectWholeAt(width, 0, 4);

    // The check itself: rows of a greedy break pass; a word carried over that had room, a
    // row broken inside a word beside a free space, or a row too long do not.
    const std::string text = "one two three";
    EXPECT_EQ(NoticeRowsFault({"one two", "three"}, text, 9), "");
    EXPECT_EQ(NoticeRowsFault({"abcd", "efgh"}, "abcdefgh", 4), "");
    EXPECT_NE(NoticeRowsFault({"one", "two three"}, text, 9), "");
    EXPECT_NE(NoticeRowsFault({"one two t", "hree"}, text, 9), "");
    EXPECT_NE(NoticeRowsFault({"one two three"}, text, 9), "");
}
