// The menu tree without Win32: native calls recorded, commands dispatched by
// position, refreshes reaching every handler, entries added and removed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/menu.h"
#include "gui/menu_native.h"

namespace {

// Records every native call as text; handles are numbered menus.
class RecordingNative : public MenuNative {
public:
    void* CreateBar() override { return New("bar"); }
    void* CreatePopup() override { return New("popup"); }
    void SetupMenu(void* menu, MenuItem*) override { Log("setup", menu); }
    bool AppendString(void* menu, const StringW& text) override { return Append(menu, text); }
    bool AppendPopup(void* menu, void*, const StringW& text) override { return Append(menu, text); }
    bool AppendSeparator(void* menu) override { return Append(menu, "-"); }
    void SetText(void* menu, int position, const StringW& text, void*) override
    {
        Log("text", menu, position, text.GetNarrow());
    }
    void SetState(void* menu, int position, bool enabled, bool checked) override
    {
        Log("state", menu, position, std::string(enabled ? "E" : "D") + (checked ? "C" : "U"));
    }
    void Remove(void* menu, int position) override { Log("remove", menu, position); }
    void DestroyMenu(void* menu) override { Log("destroy", menu); }
    void DrawBar(void* window) override { Log("draw", window); }

    std::vector<std::string> calls;
    bool failAppend = false;

private:
    void* New(const char* kind)
    {
        Log(kind, reinterpret_cast<void*>(++menus_));
        return reinterpret_cast<void*>(menus_);
    }
    bool Append(void* menu, const StringW& text)
    {
        Log("append", menu, -1, text.GetNarrow());
        return !failAppend;
    }
    void Log(const char* what, void* menu, int position = -1, const std::string& text = "")
    {
        std::string line = std::string(what) + " " + std::to_string(reinterpret_cast<uintptr_t>(menu));
        if (position >= 0)
            line += " @" + std::to_string(position);
        if (!text.empty())
            line += " " + text;
        calls.push_back(line);
    }

    uintptr_t menus_ = 0;
};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override { SetMenuNative(&native); }
    void TearDown() override { SetMenuNative(nullptr); }

    RecordingNative native;
};

// Who handled what, in order.
std::vector<std::string> heard;

bool Hear(MenuItem* entry, int index, int kind, void* accept)
{
    heard.push_back(std::string(entry->text.GetNarrow()) + (kind == 0 ? " do " : " update ") + std::to_string(index));
    return accept != nullptr;
}

bool Accept(MenuItem* entry, int index, int kind, void*)
{
    Hear(entry, index, kind, nullptr);
    return true;
}

TEST_F(MenuTest, CommandsByPositionGoToTheMenuThenTheEntry)
{
    MenuBar bar;
    PopupMenu* file = bar.AddPopup(W16("File"), true);
    MenuItem* open = file->AddItem(W16("Open"), true);
    file->AddSeparator(false);
    MenuItem* quit = file->AddItem(W16("Quit"), true);
    file->handler = Hear;
    open->handler = Accept;
    quit->handler = Accept;
    const struct {
        int position;
        bool answer;
        std::vector<std::string> heard;
    } cases[] = {
        {0, true, {"File do 0", "Open do -1"}},
        {2, true, {"File do 2", "Quit do -1"}},
        {1, false, {"File do 1"}},   // the separator takes nothing
        {3, false, {}},              // past the end: nobody hears it
    };
    for (const auto& c : cases) {
        heard.clear();
        EXPECT_EQ(file->DispatchCommand(c.position), c.answer) << "position " << c.position;
        EXPECT_EQ(heard, c.heard) << "position " << c.position;
    }
    // A menu whose own handler accepts position 0 keeps it from the entry.
    file->handler = Accept;
    heard.clear();
    EXPECT_TRUE(file->DispatchCommand(0));
    EXPECT_EQ(heard, (std::vector<std::string>{"File do 0"}));
}

TEST_F(MenuTest, RefreshReachesEveryHandlerFromAnywhere)
{
    MenuBar bar;
    bar.text = W16("Bar");
    PopupMenu* view = bar.AddPopup(W16("View"), true);
    MenuItem* zoom = view->AddItem(W16("Zoom"), true);
    PopupMenu* deep = view->AddPopup(W16("Deep"), true);
    MenuItem* leaf = deep->AddItem(W16("Leaf"), true);
    bar.handler = Hear;
    view->handler = Accept;   // accepting an update still goes on to the children
    zoom->handler = Hear;
    deep->handler = Hear;
    leaf->handler = Accept;
    heard.clear();
    leaf->UpdateAll();
    EXPECT_EQ(heard, (std::vector<std::string>{"Bar update -1", "View update -1", "Zoom update -1",
                                               "Deep update -1", "Leaf update -1"}));
}

TEST_F(MenuTest, NativeCallsFollowTheTree)
{
    {
        MenuBar bar;  // menu 2; its submenu, made first, is menu 1
        PopupMenu* file = bar.AddPopup(W16("File"), true);
        MenuItem* open = file->AddItem(W16("Open"), false);
        native.calls.clear();

        open->SetText(W16("Open"));
        EXPECT_TRUE(native.calls.empty()) << "the same text calls nothing";
        open->SetText(W16("Load"));
        open->checked = 1;
        open->Update(true, false);
        EXPECT_EQ(native.calls, (std::vector<std::string>{"text 1 @0 Load", "state 1 @0 DU", "state 1 @0 DC"}));

        ASSERT_TRUE(bar.SetWindow(reinterpret_cast<void*>(77)));
        native.calls.clear();
        open->Update(true, false);
        EXPECT_EQ(native.calls.back(), "draw 77") << "the bar redraws after a change";
        bar.SetWindow(nullptr);

        EXPECT_NE(file->AddSeparator(true), nullptr);
        EXPECT_EQ(file->AddSeparator(true), nullptr) << "no separator after a separator";
        EXPECT_NE(file->AddSeparator(false), nullptr);
        PopupMenu empty;
        EXPECT_EQ(empty.AddSeparator(true), nullptr) << "nor on an empty menu";

        native.failAppend = true;
        EXPECT_EQ(file->AddItem(W16("Broken"), true), nullptr);
        EXPECT_EQ(file->GetChildCount(), 3) << "a failed append leaves the list as it was";
        native.failAppend = false;
        native.calls.clear();
    }
    // Deleting the tree removes the entries from the last to the first, the
    // submenu's before its own, and destroys the bar.
    EXPECT_EQ(native.calls, (std::vector<std::string>{"remove 1 @2", "remove 1 @1", "remove 1 @0", "remove 2 @0",
                                                      "destroy 2"}));
}

TEST_F(MenuTest, RemovingEntriesKeepsPositionsRight)
{
    PopupMenu menu;
    int tagA = 0, tagB = 0;
    const char16_t* names[] = {u"a", u"b", u"c", u"d", u"e"};
    for (int i = 0; i < 5; ++i) {
        MenuItem* item = menu.AddItem(StringW(reinterpret_cast<const wchar16*>(names[i])), true);
        item->tag = i == 1 ? &tagA : i == 3 ? &tagB : nullptr;
    }
    menu.RemoveAt(0);
    EXPECT_EQ(menu.GetChild(0)->GetPosition(), 0) << "entries behind a removed one move up";
    EXPECT_EQ(menu.GetChild(3)->GetPosition(), 3);
    menu.RemoveByTag(nullptr, false);  // every tagged entry
    ASSERT_EQ(menu.GetChildCount(), 2);
    EXPECT_STREQ(menu.GetChild(0)->text.GetNarrow(), "c");
    EXPECT_STREQ(menu.GetChild(1)->text.GetNarrow(), "e");
    EXPECT_EQ(menu.GetChild(1)->GetPosition(), 1);
    menu.RemoveAt(5);
    EXPECT_EQ(menu.GetChildCount(), 2) << "an invalid position is ignored";
    menu.Clear();
    EXPECT_EQ(menu.GetChildCount(), 0);
}

} // namespace
