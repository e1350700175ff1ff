// MSX cartridges: identification by size and by fingerprint, the refusals, bank switching
// of the ASCII and Konami types, and SRAM.
#include <gtest/gtest.h>

#include <filesystem>

#include "machines/tests/msx_rig.h"

using namespace msx_test;

namespace {

// An image whose every byte tells where it lies: its KB number (or 8 KB bank number).
std::vector<u8> Image(size_t size, u32 shift)
{
    std::vector<u8> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<u8>(i >> shift);
    return bytes;
}

struct SizeCase {
    size_t size;
    const char* line;  // the detection line, or the refusal
    u8 shown[4];       // KB numbers at page 9 of each 16 KB with slot 1 everywhere
    size_t cutTo = 0;  // the file is cut to this size after it was mounted
};

const SizeCase kSizeCases[] = {
    {0x2000, "[INIT] Detected \"Normal 8Kb (8 mirrors)\" mapper.", {1, 1, 1, 1}},
    {0x2001, "[INIT] Detected \"Normal 16Kb (4 mirrors)\" mapper.", {0, 0, 0, 0}},
    {0x4000, "[INIT] Detected \"Normal 16Kb (4 mirrors)\" mapper.", {9, 9, 9, 9}},
    {0x4001, "[INIT] Detected \"Normal 32Kb (2 mirrors)\" mapper.", {9, 9, 0, 0}},
    {0x8001, "[INIT] Detected \"Normal 32Kb (2 mirrors)\" mapper.", {9, 9, 25, 25}},
    {0x8002, "[INIT] Detected \"Normal 64Kb\" mapper.", {9, 25, 0, 0}},
    {0x10000, "[INIT] Detected \"Normal 64Kb\" mapper.", {9, 25, 41, 57}},
    {0x10001, "[INIT] Mapper \"Unknown\" is not supported yet!", {}},
    {600 * 1024, "[INIT] Mapper \"Unknown\" is not supported yet!", {}},
    {0x4000, "[INIT] Cartridge file \"game.rom\" could not be read in full (4096 of 16384 bytes; changed since it "
             "was mounted?)!", {}, 0x1000},
};

// A write into the cartridge and the 8 KB banks shown at 0x4000, 0x6000, 0x8000, 0xA000
// afterwards (slot 1 at 0x4000-0xBFFF).
struct BankStep {
    u32 address;
    u8 value;
    u8 banks[4];
};

struct BankCase {
    u32 type;
    std::vector<BankStep> steps;
};

const BankCase kBankCases[] = {
    {MsxMapper::kTypeAscii8,
     {{0, 0, {0, 1, 2, 3}},
      {0x6800, 5, {0, 5, 2, 3}},
      {0x7FFF, 9, {0, 5, 2, 9}},
      {0x6000, 7, {7, 5, 2, 9}},
      {0x7000, 15, {7, 5, 15, 9}},
      {0x5000, 1, {7, 5, 15, 9}}}},
    {MsxMapper::kTypeAscii16,
     {{0, 0, {0, 1, 2, 3}},
      {0x6000, 3, {6, 7, 2, 3}},
      {0x77FF, 5, {6, 7, 10, 11}},
      {0x6800, 1, {6, 7, 10, 11}}}},
    {MsxMapper::kTypeKonami,
     {{0, 0, {0, 1, 2, 3}},
      {0x6000, 5, {0, 5, 2, 3}},
      {0x8000, 6, {0, 5, 6, 3}},
      {0xA000, 7, {0, 5, 6, 7}},
      {0xB000, 9, {0, 5, 6, 7}},
      {0x4000, 9, {0, 5, 6, 7}}}},
};

// A 128 KB image known to the mapper as the given type.
void StartKnown(MsxRig& rig, u32 type, std::vector<u8> image = Image(0x20000, 13))
{
    rig.Mapper()->AddKnownRom({MsxMapper::Fingerprint(image.data(), static_cast<u32>(image.size())),
                               static_cast<u8>(type), false});
    ASSERT_TRUE(rig.InsertCartridge(image));
    ASSERT_TRUE(rig.Start());
    rig.Out(0xA8, 0xD4);  // BIOS, cartridge, cartridge, RAM
}

} // namespace

TEST(MsxCartridge, SizeRulesAtTheirBoundaries)
{
    for (const SizeCase& c : kSizeCases) {
        MsxRig rig;
        ASSERT_TRUE(rig.InsertCartridge(Image(c.size, 10)));
        if (c.cutTo != 0)
            std::filesystem::resize_file(ProgramTree::Where("media/game.rom"), c.cutTo);
        const bool refused = c.line[7] != 'D';
        EXPECT_EQ(rig.Start(), !refused) << c.size;
        EXPECT_TRUE(rig.HasLine(c.line)) << c.size;
        if (refused) {
            EXPECT_FALSE(rig.Slot()->IsAccepted());
            continue;
        }
        rig.Out(0xA8, 0x55);
        for (u32 k = 0; k < 4; ++k)
            EXPECT_EQ(rig.Peek(k * 0x4000 + 0x2400), c.shown[k]) << c.size << " page " << k;
    }
}

TEST(MsxCartridge, FingerprintRowsNameTheMapper)
{
    // Expected values worked out outside the program: the image written to a file, its
    // digest taken with sha1sum, split into five big-endian words h0..h4 and folded by
    // hand as ((h2 ^ h3) << 32 | (h0 ^ h1)) | h4 << 16, the low byte then replaced by the
    // size in KB modulo 128.
    struct Known {
        size_t size;
        u32 shift;
        u64 fingerprint;
    };
    const Known known[] = {
        // sha1 85c4ea56 20f81ff3 1d59da1a 43ad2830 9ef6b464; low byte 16 (KB)
        {0x4000, 10, 0x5EF4FEFEB57CF510ull},
        // sha1 04a83949 8b978fc9 46cde17d 13f2b5bc 6902faf8; 128 KB leaves a low byte of 0
        {0x20000, 13, 0x553F7DC3FFFFB600ull},
    };
    for (const Known& k : known) {
        const std::vector<u8> bytes = Image(k.size, k.shift);
        EXPECT_EQ(MsxMapper::Fingerprint(bytes.data(), static_cast<u32>(k.size)), k.fingerprint) << k.size;
    }

    const std::vector<u8> image = Image(0x4000, 10);
    {
        MsxRig rig;
        StartKnown(rig, MsxMapper::kTypeNormal16At8000, image);
        EXPECT_TRUE(rig.HasLine("[INIT] Detected \"Normal 16Kb to 0x8000\" mapper."));
        EXPECT_EQ(rig.Peek(0x4400), 0) << "nothing below 0x8000";
        EXPECT_EQ(rig.Peek(0x8400), 1);
    }
    MsxRig rig;
    rig.Mapper()->AddKnownRom({MsxMapper::Fingerprint(image.data(), 0x4000), MsxMapper::kTypeKonamiScc, false});
    ASSERT_TRUE(rig.InsertCartridge(image));
    EXPECT_FALSE(rig.Start());
    EXPECT_TRUE(rig.HasLine("[INIT] Mapper \"Konami with SCC\" is not supported yet!"));
}

TEST(MsxCartridge, BankSwitching)
{
    for (const BankCase& c : kBankCases) {
        MsxRig rig;
        StartKnown(rig, c.type);
        for (const BankStep& step : c.steps) {
            if (step.address != 0)
                rig.Poke(step.address, step.value);
            for (u32 k = 0; k < 4; ++k)
                EXPECT_EQ(rig.Peek(0x4000 + k * 0x2000 + 0x123), step.banks[k])
                    << MsxMapper::GetTypeName(c.type) << " after " << std::hex << step.address << "=" << u32{step.value};
        }
    }
}

// A bank number past a 32 KB image wraps over it, so the register's own window stays
// writable: the second write, into that window, switches the register back.
TEST(MsxCartridge, BankNumbersPastTheImageWrap)
{
    struct Write {
        u32 address;
        u8 value;
        u32 reg;
        u32 read;   // an address the register selects
        u8 shown;   // the 8 KB bank read there
    };
    const struct {
        u32 type;
        Write far, back;
    } cases[] = {
        {MsxMapper::kTypeAscii8, {0x6800, 0x41, 1, 0x6123, 1}, {0x6800, 2, 1, 0x6123, 2}},
        {MsxMapper::kTypeAscii8, {0x6800, 0x42, 1, 0x6123, 2}, {0x6000, 3, 0, 0x4123, 3}},
        {MsxMapper::kTypeAscii8Sram, {0x6800, 0x1D, 1, 0x6123, 1}, {0x6800, 2, 1, 0x6123, 2}},
        {MsxMapper::kTypeAscii16, {0x6000, 0x41, 0, 0x6123, 3}, {0x6000, 0, 0, 0x6123, 1}},
        {MsxMapper::kTypeAscii16Sram, {0x6000, 0x0F, 0, 0x4123, 2}, {0x6000, 0, 0, 0x4123, 0}},
        {MsxMapper::kTypeKonami, {0x6000, 0x1E, 1, 0x6123, 2}, {0x6000, 1, 1, 0x6123, 1}},
        {MsxMapper::kTypeKonami, {0xA000, 0xFF, 3, 0xA123, 3}, {0xA000, 2, 3, 0xA123, 2}},
    };
    for (const auto& c : cases) {
        MsxRig rig;
        StartKnown(rig, c.type, Image(0x8000, 13));
        for (const Write& w : {c.far, c.back}) {
            rig.Poke(w.address, w.value);
            SCOPED_TRACE(testing::Message() << MsxMapper::GetTypeName(c.type) << " after " << std::hex
                                            << w.address << "=" << u32{w.value});
            EXPECT_EQ(rig.Mapper()->GetBankRegister(w.reg), u32{w.value});
            EXPECT_EQ(rig.Peek(w.read), w.shown);
        }
    }
}

// Bank numbers that reached the reserve after the image show it as before, from a state
// too; one past the reserve shows a bank of the image.
TEST(MsxCartridge, StateKeepsBanksInsideTheReserve)
{
    std::vector<u8> image(0x8000);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<u8>(0x80 | (i >> 13));  // the reserve reads 00
    MsxRig rig;
    StartKnown(rig, MsxMapper::kTypeAscii8, image);
    rig.Poke(0x6800, 4);     // the reserve
    rig.Poke(0x7000, 0x45);  // past it: bank 1
    StateBuffer state;
    ASSERT_TRUE(rig.machine->SaveComponent(state.archive));
    rig.Poke(0x6800, 0);
    rig.Poke(0x7000, 0);
    state.stream.Seek(0);
    ASSERT_TRUE(rig.machine->LoadComponent(state.archive, nullptr));
    EXPECT_EQ(rig.Peek(0x6123), 0x00) << "the reserve, as it always showed";
    EXPECT_EQ(rig.Peek(0x8123), 0x81);
    rig.Poke(0x7000, 2);
    EXPECT_EQ(rig.Peek(0x8123), 0x82);
}

TEST(MsxCartridge, BankWritesLeaveOtherSlotsAlone)
{
    MsxRig rig;
    StartKnown(rig, MsxMapper::kTypeAscii8);
    rig.Out(0xA8, 0xF4);  // RAM at 0x8000
    rig.Poke(0x8123, 0x66);
    rig.Poke(0x7000, 6);
    EXPECT_EQ(rig.Peek(0x8123), 0x66) << "the RAM stays where the program put it";
    rig.Out(0xA8, 0xD4);
    EXPECT_EQ(rig.Peek(0x8123), 6) << "the cartridge shows the new bank when selected";
}

TEST(MsxCartridge, SramPaging)
{
    {
        MsxRig rig;
        StartKnown(rig, MsxMapper::kTypeAscii8Sram);
        rig.Poke(0x7000, 0x20);
        rig.Poke(0x8000, 0x12);
        EXPECT_EQ(rig.Peek(0x8000), 0x12);
        rig.Poke(0x7000, 2);
        EXPECT_EQ(rig.Peek(0x8000), 2) << "ROM bank 2 again";
        rig.Poke(0x7000, 0x21);
        EXPECT_EQ(rig.Peek(0x8000), 0x12) << "every value from 32 up shows the same SRAM";
        rig.Poke(0x6800, 0x20);  // SRAM at 0x6000-0x7FFF too
        rig.Poke(0x7000, 0x33);
        EXPECT_EQ(rig.Mapper()->GetBankRegister(2), 0x21u) << "a write into SRAM switches nothing";
        EXPECT_EQ(rig.Peek(0x9000), 0x33) << "one SRAM behind both windows";
    }
    MsxRig rig;
    StartKnown(rig, MsxMapper::kTypeAscii16Sram);
    rig.Poke(0x7000, 0x10);
    rig.Poke(0x8001, 0x44);
    rig.Poke(0x8401, 0x55);
    EXPECT_EQ(rig.Peek(0x8801), 0x44) << "2 KB of SRAM repeated over the 16 KB page";
    EXPECT_EQ(rig.Peek(0xBC01), 0x55);
    EXPECT_EQ(rig.Peek(0x4000), 0) << "0x4000-0x7FFF keeps ROM bank 0";
}

TEST(MsxCartridge, StateRestoresBanksAndSram)
{
    MsxRig rig;
    StartKnown(rig, MsxMapper::kTypeAscii8Sram);
    rig.Poke(0x6800, 5);
    rig.Poke(0x7000, 0x20);
    rig.Poke(0x8010, 0x99);
    StateBuffer state;
    ASSERT_TRUE(rig.machine->SaveComponent(state.archive));
    rig.Poke(0x8010, 0x11);
    rig.Poke(0x6800, 7);
    rig.Poke(0x7000, 3);
    state.stream.Seek(0);
    ASSERT_TRUE(rig.machine->LoadComponent(state.archive, nullptr));
    EXPECT_EQ(rig.Peek(0x6123), 5) << "ROM bank 5 at 0x6000 again";
    EXPECT_EQ(rig.Peek(0x8010), 0x99) << "the SRAM as saved, shown at 0x8000";
    EXPECT_EQ(rig.Mapper()->GetCartridgeType(0), static_cast<u32>(MsxMapper::kTypeAscii8Sram));
}
