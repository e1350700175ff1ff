// BIOS and data files: the folder search order, the size checks, the console lines.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/file_stream.h"
#include "emu/command_interpreter.h"
#include "emu/computer.h"
#include "emu/memory_space.h"
#include "program_tree.h"

namespace {

constexpr u32 kError = 0xFFFF3C3C;
constexpr u32 kInfo = CommandInterpreter::kDefaultColor;
using Lines = std::vector<std::pair<std::string, u32>>;

class FileMachine : public Computer {
public:
    FileMachine(const char* model, const char* family) : model_(model), family_(family) {}
    const char* GetId() const override { return model_; }
    const char* GetFamilyId() const override { return family_; }
    void Wire()
    {
        CreateDevices();
        ShareServices();
        GetMemory()->Allocate(0x20000, 0);
    }

private:
    const char *model_, *family_;
};

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine.SetHost(&console);
        machine.Wire();
    }

    Lines Printed()
    {
        console.FlushPending();
        Lines lines;
        StringA text;
        u32 color = 0;
        for (i32 i = 0; console.GetLine(i, &text, &color); ++i)
            lines.emplace_back(text.CStr(), color);
        console.Clear();
        return lines;
    }

    std::string Located(const std::string& name, Computer& who)
    {
        PathString out;
        return who.LocateFile(ProgramTree::Native(name), out) ? out.GetNarrow() : "";
    }

    u8 Byte(u32 address) { return machine.GetMemory()->Read8(address, true); }

    ProgramTree tree;
    CommandInterpreter console;
    FileMachine machine{"msx_1", "msx"};
};

TEST_F(DataFileTest, SearchGoesModelFamilyConfigsProgramThenPerUserFolder)
{
    const char* places[] = {"prog/configs/msx_1/", "prog/configs/msx/", "prog/configs/", "prog/",
                            "user/configs/msx_1/", "user/configs/msx/", "user/configs/", "user/"};
    for (const char* place : places)
        ProgramTree::Write(std::string(place) + "sub/msx.rom", 4);
    for (const char* place : places) {
        EXPECT_EQ(Located("sub/msx.rom", machine), ProgramTree::TextOf(std::string(place) + "sub/msx.rom"));
        ProgramTree::Remove(std::string(place) + "sub/msx.rom");
    }
    EXPECT_EQ(Located("sub/msx.rom", machine), "");

    // A family id equal to the model id tries one folder twice; no per-user folder only
    // ends the search.
    FileMachine coleco("coleco_v", "coleco_v");
    ProgramTree::Write("user/configs/coleco_v/coleco.rom", 4);
    EXPECT_EQ(Located("coleco.rom", coleco), ProgramTree::TextOf("user/configs/coleco_v/coleco.rom"));
    std::filesystem::remove_all(ProgramTree::Where("user/"));
    EXPECT_EQ(Located("coleco.rom", coleco), "");
    EXPECT_TRUE(Printed().empty()) << "the search itself prints nothing";
}

TEST_F(DataFileTest, MissingAndEmptyFilesAreReportedByTheNamesTried)
{
    // An empty file hides a good one further down the list.
    ProgramTree::WriteBytes("prog/configs/msx_1/msx.rom", {});
    ProgramTree::Write("prog/configs/msx.rom", 100);
    EXPECT_EQ(machine.LoadFileToMemory(0x10000, 0, 0x8000, "System BIOS (w/BASIC)", PathString("msx.rom")), 0);
    EXPECT_EQ(Printed(), (Lines{{"[ERROR] File \"msx.rom\" (System BIOS (w/BASIC)) not found!", kError}}));

    FileStream stream;
    EXPECT_EQ(machine.FindOneOf(stream, "Disk ROM", PathString("a.rom"), PathString("b.rom")), 0);
    EXPECT_EQ(Printed(), (Lines{{"[ERROR] No one of files found (Disk ROM): ", kError},
                                {"   \"a.rom\" or ", kError},
                                {"   \"b.rom\"", kError}}));
    // Nothing after an empty name is tried; no first name prints nothing at all.
    EXPECT_EQ(machine.FindOneOf(stream, "X", PathString("a.rom"), PathString(), PathString("msx.rom")), 0);
    EXPECT_EQ(Printed(), (Lines{{"[ERROR] File \"a.rom\" (X) not found!", kError}}));
    EXPECT_EQ(machine.FindOneOf(stream, "X", PathString(), PathString("msx.rom")), 0);
    EXPECT_TRUE(Printed().empty());

    ProgramTree::Write("prog/b.rom", 100);
    EXPECT_EQ(machine.FindOneOf(stream, "Disk ROM", PathString("a.rom"), PathString("b.rom"), PathString(),
                                PathString(), PathString(), true),
              2);
    EXPECT_EQ(stream.GetSize(), 100u) << "the found file stays open";
    EXPECT_EQ(Printed(), (Lines{{"[INIT] Loaded file \"b.rom\" (Disk ROM)", kInfo}}));
}

TEST_F(DataFileTest, SizeBoundsAreInclusiveAndTheStoreEndsTheCopy)
{
    const auto load = [this] { return machine.LoadFileToMemory(0, 0x2000, 0x2000, "ROM BIOS", PathString("c.rom")); };
    ProgramTree::Write("prog/c.rom", 8191);
    EXPECT_EQ(load(), 0);
    ProgramTree::Write("prog/c.rom", 8193);
    EXPECT_EQ(load(), 0);
    EXPECT_EQ(Printed(), (Lines{{"[ERROR] File \"c.rom\" is too small to be loaded (<8192)!", kError},
                                {"[ERROR] File \"c.rom\" is too big to be loaded (>8192)!", kError}}));
    EXPECT_EQ(Byte(1), 0) << "a refused file leaves memory alone";
    ProgramTree::Write("prog/c.rom", 8192, 1);
    EXPECT_EQ(load(), 1);
    EXPECT_EQ(Byte(0x1FFF), 0x00);
    EXPECT_EQ(Byte(1), 2);

    EXPECT_EQ(machine.LoadFileToMemory(0x10000, 0, 0x8000, "BIOS", PathString("c.rom")), 1);
    EXPECT_EQ(machine.LoadFileToMemory(0x1FFF0, 0, 0, "tail", PathString("c.rom")), 1) << "cut at the end";
    EXPECT_EQ(Byte(0x1FFFF), 16);
    EXPECT_EQ(machine.LoadFileToMemory(0x20000, 0, 0, "tail", PathString("c.rom")), 0);
    EXPECT_EQ(Printed(), (Lines{{"[INIT] File \"c.rom\" loaded to memory at position 0h (ROM BIOS)", kInfo},
                                {"[INIT] File \"c.rom\" loaded to memory at position 10000h (BIOS)", kInfo},
                                {"[INIT] File \"c.rom\" loaded to memory at position 1FFF0h (tail)", kInfo},
                                {"[ERROR] Can not load file \"c.rom\" to memory at position 20000h (tail)!", kError}}));
}

// A folder passed over on the way is told once a load: the End forms place the file they
// found, where a second search for it would tell the folder again.
TEST_F(DataFileTest, EndAndPairFormsPlaceTheFilesJustBeforeTheEnd)
{
    ProgramTree::MakeFolder("prog/configs/msx_1/a.rom");
    const Lines::value_type passed{"[ERROR] \"" + ProgramTree::TextOf("prog/configs/msx_1/a.rom") +
                                       "\" is not a file (a folder, a pipe or a device), passed over!",
                                   kError};
    ProgramTree::Write("prog/a.rom", 16, 0x10);
    EXPECT_EQ(machine.LoadFileToMemoryEnd(0x100, 0, 0, "A", PathString("a.rom")), 1);
    EXPECT_EQ(Byte(0xFF), 0x1F);
    EXPECT_EQ(machine.LoadFileToMemoryEnd(15, 0, 0, "A", PathString("a.rom")), 0);
    ProgramTree::Write("prog/hi2.rom", 3, 0xB0);
    EXPECT_FALSE(machine.LoadFilePairToMemoryEnd(0x306, "pair", PathString("a.rom"), PathString("hi2.rom")));
    // Either first file goes with either second one.
    ProgramTree::Write("prog/lo.rom", 3, 0xA0);
    EXPECT_TRUE(machine.LoadFilePairToMemory(0x200, "pair", PathString("lo.rom"), PathString("hi.rom"),
                                             PathString("lo2.rom"), PathString("hi2.rom")));
    EXPECT_EQ(Byte(0x200) | Byte(0x201) << 8 | Byte(0x205) << 16, 0xB2B0A0);
    EXPECT_EQ(Printed(), (Lines{passed,
                                {"[INIT] File \"a.rom\" loaded to memory at position F0h (A)", kInfo},
                                passed,  // the load that does not fit
                                passed,  // the pair
                                {"[ERROR] Files \"a.rom\" and \"hi2.rom\" should have equal sizes!", kError},
                                {"[INIT] Files \"lo.rom\" and \"hi.rom\" loaded to memory at position 200h (pair)", kInfo}}));
}

} // namespace
