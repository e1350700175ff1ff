// The window binding and frame ending that every renderer shares, driven through a
// renderer whose "window" is a flag and a size, so that the sequencing is checked on
// every platform.
#include <gtest/gtest.h>

#include "video/renderer.h"

namespace {

class FakeRenderer : public Renderer {
public:
    bool windowAlive = true;
    bool clientReadable = true;
    bool presentAnswer = true;
    int attaches = 0;
    int detaches = 0;
    int presents = 0;

    ~FakeRenderer() override
    {
        BeginClosing();
        FakeRenderer::Detach();
    }
    bool Attach() override
    {
        ++attaches;
        deviceContext_ = this;
        return true;
    }
    void Detach() override
    {
        detaches += deviceContext_ != nullptr;
        deviceContext_ = nullptr;
    }
    bool Present() override
    {
        ++presents;
        return presentAnswer;
    }
    bool PrepareBuffers(bool checkWindow, bool reallocate) override
    {
        const bool result = !reallocate || AllocatePixels();
        bool moved = false;
        return (!checkWindow || RefreshClientArea(&moved)) && result;
    }

protected:
    bool IsWindowAlive(WindowHandle window) const override { return window && windowAlive; }
    bool ReadClientArea(WindowHandle, OutputRect* area) const override
    {
        *area = {0, 0, 640, 480};
        return clientReadable;
    }
};

int g_windows[2];
const WindowHandle kWindowA = &g_windows[0];
const WindowHandle kWindowB = &g_windows[1];

TEST(RendererBinding, RebindingTheBoundWindowKeepsItsAttachmentAndNullUnbinds)
{
    FakeRenderer renderer;
    ASSERT_TRUE(renderer.SetWindow(&kWindowA));
    EXPECT_TRUE(renderer.SetWindow(&kWindowA));
    EXPECT_EQ(renderer.attaches, 1);
    EXPECT_EQ(renderer.detaches, 0);
    ASSERT_TRUE(renderer.SetWindow(&kWindowB));
    EXPECT_EQ(renderer.detaches, 1);
    EXPECT_TRUE(renderer.SetWindow(nullptr));
    EXPECT_EQ(renderer.GetWindow(), nullptr);
    EXPECT_EQ(renderer.detaches, 2);

    FakeRenderer dead;
    dead.windowAlive = false;
    EXPECT_FALSE(dead.SetWindow(&kWindowA));
    EXPECT_EQ(dead.GetWindow(), nullptr);
}

TEST(RendererSize, NeedsAWindowAndAnnouncesOnlyRealChanges)
{
    FakeRenderer renderer;
    EXPECT_FALSE(renderer.SetSize(256, 192, false));
    EXPECT_FALSE(renderer.FitToOutputSize());
    ASSERT_TRUE(renderer.SetWindow(&kWindowA));

    int calls = 0;
    renderer.sizeChangedCallback = [](void* user) { ++*static_cast<int*>(user); };
    renderer.sizeChangedUserData = &calls;
    ASSERT_TRUE(renderer.SetSize(256, 192, false));
    EXPECT_EQ(renderer.GetRowPixels(191)[255], 0xFF000000u);
    renderer.GetRowPixels(0)[0] = 0xFF123456;
    EXPECT_TRUE(renderer.SetSize(256, 192, false));
    EXPECT_EQ(renderer.GetRowPixels(0)[0], 0xFF123456u) << "same size: pixels kept";
    EXPECT_EQ(calls, 1);

    // The console's surface takes the client area, once.
    EXPECT_TRUE(renderer.FitToOutputSize());
    EXPECT_EQ(renderer.GetWidth(), 640);
    EXPECT_FALSE(renderer.FitToOutputSize());
    EXPECT_EQ(calls, 2);
}

TEST(RendererFrames, PresentsWhatChangedAndRetriesWhatFailed)
{
    FakeRenderer renderer;
    ASSERT_TRUE(renderer.SetWindow(&kWindowA));
    ASSERT_TRUE(renderer.SetSize(256, 192, false));
    EXPECT_TRUE(renderer.EndFrame(false));
    EXPECT_FALSE(renderer.EndFrame(false)) << "nothing drawn since";
    EXPECT_EQ(renderer.presents, 1);

    renderer.presentAnswer = false;
    EXPECT_FALSE(renderer.EndFrame(true));
    renderer.presentAnswer = true;
    EXPECT_TRUE(renderer.EndFrame(false));
    EXPECT_EQ(renderer.presents, 3);

    renderer.clientReadable = false;
    renderer.MarkLineDrawn(0);
    renderer.BeginFrame(0, 0.0f);
    EXPECT_FALSE(renderer.EndFrame(false));
    renderer.clientReadable = true;
    EXPECT_TRUE(renderer.EndFrame(false));
    EXPECT_EQ(renderer.presents, 4);
}

TEST(RendererFrames, AVanishedWindowIsLetGoAndResetKeepsOnlyALiveOne)
{
    FakeRenderer renderer;
    ASSERT_TRUE(renderer.SetWindow(&kWindowA));
    ASSERT_TRUE(renderer.SetSize(256, 192, false));
    renderer.Reset();
    EXPECT_EQ(renderer.GetPixelBuffer(), nullptr);
    EXPECT_EQ(renderer.GetWindow(), kWindowA);
    EXPECT_TRUE(renderer.SetSize(256, 192, false));

    renderer.windowAlive = false;
    EXPECT_FALSE(renderer.EndFrame(true));
    EXPECT_EQ(renderer.presents, 0);
    EXPECT_EQ(renderer.GetWindow(), nullptr);
    EXPECT_EQ(renderer.detaches, 1);

    FakeRenderer other;
    ASSERT_TRUE(other.SetWindow(&kWindowA));
    other.windowAlive = false;
    other.Reset();
    EXPECT_EQ(other.GetWindow(), nullptr);
}

} // namespace
