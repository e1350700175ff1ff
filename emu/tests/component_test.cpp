#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/archive.h"
#include "base/string_a.h"
#include "emu/component.h"
#include "emu/tests/record_helpers.h"

namespace {

// A leaf with a little state of its own and a log of what was called on it.
class Probe : public Component {
public:
    explicit Probe(std::vector<std::string>* log = nullptr, i32 rate = 0, bool startOk = true)
        : log_(log), rate_(rate), startOk_(startOk)
    {
    }

    bool Start(i32* rate) override
    {
        Note("start");
        if (rate_ != 0)
            *rate = rate_;
        return startOk_;
    }
    void Stop() override { Note("stop"); }
    void BuildMenu(OptionItem*, i32) override { Note("menu"); }
    bool SaveState(Archive& archive) override { return archive.WriteUInt32(&value, StringA("VAL")); }
    bool LoadState(Archive& archive, LoadContext) override
    {
        stateRead = true;
        return archive.ReadUInt32(&value, StringA("VAL"));
    }

    u32 value = 0;
    bool stateRead = false;

private:
    void Note(const char* what)
    {
        if (log_ != nullptr)
            log_->push_back(std::string(GetName()) + ":" + what);
    }

    std::vector<std::string>* log_;
    i32 rate_;
    bool startOk_;
};

const ByteVec kVer0 = Keyed("_VER", 0x00, {0x00});
const ByteVec kEnabled = Keyed("_ENBL", 0x40, {0x01});

TEST(ComponentRecord, EmptyLeafBytesAndNameCheck)
{
    Component leaf;
    leaf.SetName("X");
    StateBuffer buf;
    ASSERT_TRUE(leaf.SaveComponent(buf.archive));
    const ByteVec expected = Cat({Marker(0xF0, "X"), kVer0, kEnabled, Marker(0xFF, "X")});
    EXPECT_EQ(buf.Bytes(), expected);

    StateBuffer same(expected);
    EXPECT_TRUE(leaf.LoadComponent(same.archive, nullptr));

    Component other;
    other.SetName("x");
    StateBuffer again(expected);
    EXPECT_FALSE(other.LoadComponent(again.archive, nullptr));
}

TEST(ComponentRecord, DisabledChildrenAreLeftOutAndMustStayOut)
{
    ComponentGroup group;
    group.SetName("G");
    auto* a = new Probe;
    auto* b = new Probe;
    auto* c = new Probe;
    group.AddChild(a, "A", nullptr);
    group.AddChild(b, "B", nullptr);
    group.AddChild(c, "C", nullptr);
    b->SetEnabled(false);
    a->value = 1;
    b->value = 2;
    c->value = 3;

    StateBuffer buf;
    ASSERT_TRUE(group.SaveComponent(buf.archive));
    const ByteVec val1 = Keyed("VAL", 0x03, {1, 0, 0, 0});
    const ByteVec val3 = Keyed("VAL", 0x03, {3, 0, 0, 0});
    EXPECT_EQ(buf.Bytes(), Cat({Marker(0xF0, "G"), kVer0, kEnabled,
                                Marker(0xF0, "A"), kVer0, kEnabled, val1, Marker(0xFF, "A"),
                                Marker(0xF0, "C"), kVer0, kEnabled, val3, Marker(0xFF, "C"),
                                Marker(0xFF, "G")}));

    a->value = c->value = 0;
    buf.Rewind();
    ASSERT_TRUE(group.LoadComponent(buf.archive, nullptr));
    EXPECT_EQ(a->value, 1u);
    EXPECT_EQ(c->value, 3u);
    EXPECT_FALSE(b->stateRead);

    // Once B is enabled its record is expected where C's stands.
    b->SetEnabled(true);
    buf.Rewind();
    EXPECT_FALSE(group.LoadComponent(buf.archive, nullptr));
}

TEST(ComponentRecord, TreeRoundTripGivesIdenticalBytes)
{
    auto build = [](ComponentGroup& root) {
        root.SetName("ROOT");
        auto* sub = new ComponentGroup;
        root.AddChild(sub, "SUB", "S");
        sub->AddChild(new Probe, "LEAF1", nullptr);
        sub->AddChild(new Probe, "LEAF2", nullptr);
        root.AddChild(new Probe, "LEAF3", nullptr);
    };
    ComponentGroup first;
    build(first);
    static_cast<Probe*>(static_cast<ComponentGroup*>(first.GetChild(0))->GetChild(1))->value = 0xDEADBEEF;
    static_cast<Probe*>(first.GetChild(1))->value = 42;
    first.GetChild(1)->SetEnabled(true);

    StateBuffer saved;
    ASSERT_TRUE(first.SaveComponent(saved.archive));

    ComponentGroup second;
    build(second);
    saved.Rewind();
    ASSERT_TRUE(second.LoadComponent(saved.archive, nullptr));
    EXPECT_EQ(saved.stream.GetPosition(), saved.stream.GetSize());

    StateBuffer again;
    ASSERT_TRUE(second.SaveComponent(again.archive));
    EXPECT_EQ(again.Bytes(), saved.Bytes());
}

TEST(ComponentRecord, VersionOtherThanZeroFailsBeforeOwnState)
{
    Probe leaf;
    leaf.SetName("X");
    StateBuffer buf(Cat({Marker(0xF0, "X"), Keyed("_VER", 0x00, {0x01}), kEnabled,
                         Keyed("VAL", 0x03, {1, 0, 0, 0}), Marker(0xFF, "X")}));
    EXPECT_FALSE(leaf.LoadComponent(buf.archive, nullptr));
    EXPECT_FALSE(leaf.stateRead);
}

TEST(ComponentRecord, DamagedRecordsAreRefusedWithoutHarm)
{
    ComponentGroup root;
    root.SetName("ROOT");
    auto* leaf = new Probe;
    root.AddChild(leaf, "LEAF", nullptr);
    leaf->value = 7;
    StateBuffer good;
    ASSERT_TRUE(root.SaveComponent(good.archive));
    const ByteVec bytes = good.Bytes();

    // Every truncation fails; the first one (just the open marker) leaves the flag alone.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        StateBuffer part(ByteVec(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
        EXPECT_FALSE(root.LoadComponent(part.archive, nullptr)) << "cut at " << cut;
        EXPECT_TRUE(root.IsEnabled());
    }
    // Any single damaged byte is either refused or still loads; it never crashes.
    for (size_t i = 0; i < bytes.size(); ++i) {
        ByteVec bad = bytes;
        bad[i] ^= 0x5A;
        StateBuffer damaged(bad);
        root.LoadComponent(damaged.archive, nullptr);
        root.SetEnabled(true);
        leaf->SetEnabled(true);
    }
}

TEST(ComponentGroupLifeCycle, StartKeepsTheLargestRateAndStopsAtAFailure)
{
    std::vector<std::string> log;
    ComponentGroup group;
    group.AddChild(new Probe(&log, 3), "A", nullptr);
    group.AddChild(new Probe(&log, 7), "B", nullptr);
    auto* off = new Probe(&log, 99);
    group.AddChild(off, "OFF", nullptr);
    off->SetEnabled(false);
    group.AddChild(new Probe(&log, 5), "C", nullptr);
    i32 rate = 1;
    EXPECT_TRUE(group.Start(&rate));
    EXPECT_EQ(rate, 7);
    EXPECT_EQ(log, (std::vector<std::string>{"A:start", "B:start", "C:start"}));

    log.clear();
    ComponentGroup failing;
    failing.AddChild(new Probe(&log, 0, true), "A", nullptr);
    failing.AddChild(new Probe(&log, 0, false), "B", nullptr);
    failing.AddChild(new Probe(&log, 0, true), "C", nullptr);
    EXPECT_FALSE(failing.Start(&rate));
    EXPECT_EQ(log, (std::vector<std::string>{"A:start", "B:start"}));
}

TEST(ComponentGroupLifeCycle, StopGoesLastFirstAndMenusReachDisabledChildren)
{
    std::vector<std::string> log;
    ComponentGroup group;
    group.AddChild(new Probe(&log), "A", nullptr);
    auto* b = new Probe(&log);
    group.AddChild(b, "B", nullptr);
    group.AddChild(new Probe(&log), "C", nullptr);
    b->SetEnabled(false);
    group.Stop();
    group.BuildMenu(nullptr, 6);
    EXPECT_EQ(log, (std::vector<std::string>{"C:stop", "A:stop", "A:menu", "B:menu", "C:menu"}));
}

TEST(ComponentNames, FullNameSkipsTheRoot)
{
    ComponentGroup root;
    root.SetName("MACHINE");
    auto* outer = new ComponentGroup;
    root.AddChild(outer, "B", nullptr);
    auto* inner = new ComponentGroup;
    outer->AddChild(inner, "C", nullptr);
    auto* leaf = new Component;
    inner->AddChild(leaf, "A", nullptr);

    StringA name;
    leaf->GetFullName(name);
    EXPECT_STREQ(name.GetNarrow(), "A.C.B");
    outer->GetFullName(name);
    EXPECT_STREQ(name.GetNarrow(), "B");
    root.GetFullName(name);
    EXPECT_STREQ(name.GetNarrow(), "MACHINE");
}

TEST(ComponentNames, RecordsArePositionalButDuplicatesAreReported)
{
    ComponentGroup root;
    root.SetName("R");
    root.AddChild(new Probe, "SAME", nullptr);
    auto* second = new Probe;
    root.AddChild(second, "SAME", nullptr);
    second->value = 9;
    StateBuffer buf;
    ASSERT_TRUE(root.SaveComponent(buf.archive));
    second->value = 0;
    buf.Rewind();
    ASSERT_TRUE(root.LoadComponent(buf.archive, nullptr));
    EXPECT_EQ(second->value, 9u);
    EXPECT_EQ(root.CheckNames(false, true), second);
}

TEST(ComponentTree, ConsoleReachesNodesAddedBeforeAndAfter)
{
    int token = 0;
    auto* console = reinterpret_cast<CommandInterpreter*>(&token); // stored, never used
    ComponentGroup root;
    auto* sub = new ComponentGroup;
    root.AddChild(sub, "SUB", nullptr);
    auto* early = new Component;
    sub->AddChild(early, nullptr, nullptr);
    root.SetHost(console);
    auto* late = new Component;
    sub->AddChild(late, nullptr, nullptr);
    EXPECT_EQ(early->GetConsole(), console);
    EXPECT_EQ(late->GetConsole(), console);
}

} // namespace
