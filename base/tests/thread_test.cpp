#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/thread.h"

namespace {

using namespace std::chrono_literals;

template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A worker in the shape the emulation core uses: it counts work and takes
// pause requests between slices, or idles at the gate when told to.
struct Worker {
    std::atomic<bool> stop{false};
    std::atomic<bool> idle{false};
    std::atomic<int> slices{0};
    std::atomic<int> pausesTaken{0};
    u32 exitValue = 0;
    Thread* thread = &owned;
    Thread owned{&Run, this};  // last: joined before the fields above go

    static u32 Run(void* arg) {
        auto* w = static_cast<Worker*>(arg);
        while (!w->stop) {
            if (w->idle) {
                w->thread->SuspendSelf(false);
                continue;
            }
            ++w->slices;
            if (w->thread->SuspendSelf(true)) ++w->pausesTaken;
            std::this_thread::sleep_for(100us);
        }
        return w->exitValue;
    }
};

TEST(ThreadTest, StartsBehindTheGateAndRunsWhenReleased) {
    Worker w;
    Thread& t = w.owned;
    EXPECT_EQ(t.GetResult(), 1u);
    ASSERT_TRUE(t.Start(true, 3));
    EXPECT_TRUE(t.IsSuspended());
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(w.slices, 0) << "the routine ran through the closed gate";

    EXPECT_FALSE(t.Start(false, 3)) << "a running thread cannot start again";
    ASSERT_TRUE(t.Resume());
    EXPECT_FALSE(t.IsSuspended());
    ASSERT_TRUE(WaitUntil([&] { return w.slices > 0; }));
    w.stop = true;
    EXPECT_TRUE(t.Join(-1));
    EXPECT_FALSE(t.IsRunning());

    Thread none(nullptr, nullptr);
    EXPECT_FALSE(none.Start(false, 3));
    EXPECT_TRUE(none.Join(0));
}

TEST(ThreadTest, PauseIsTakenAtThePausePointAndResumed) {
    Worker w;
    Thread& t = w.owned;
    ASSERT_TRUE(t.Start(false, 5));
    ASSERT_TRUE(WaitUntil([&] { return w.slices > 0; }));

    t.RequestPause();
    // Only the worker may close the gate on itself; the owner would block.
    EXPECT_FALSE(t.SuspendSelf(true));
    ASSERT_TRUE(WaitUntil([&] { return t.IsSuspended(); }));
    EXPECT_FALSE(t.IsPauseRequested());
    const int frozen = w.slices;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(w.slices, frozen) << "a paused worker kept running";

    ASSERT_TRUE(t.Resume());
    ASSERT_TRUE(WaitUntil([&] { return w.slices > frozen; }));
    EXPECT_EQ(w.pausesTaken, 1);

    w.stop = true;
    EXPECT_TRUE(t.Join(1000));
}

TEST(ThreadTest, ResumeBeforeThePausePointCancelsTheRequest) {
    struct Latch {
        Thread* thread = nullptr;
        std::atomic<bool> go{false};
        std::atomic<int> answer{-1};
        static u32 Run(void* arg) {
            auto* l = static_cast<Latch*>(arg);
            while (!l->go) std::this_thread::sleep_for(100us);
            l->answer = l->thread->SuspendSelf(true) ? 1 : 0;
            return 0;
        }
    } latch;
    Thread t(&Latch::Run, &latch);
    latch.thread = &t;
    ASSERT_TRUE(t.Start(false, 3));
    t.RequestPause();
    EXPECT_TRUE(t.Resume());
    latch.go = true;
    EXPECT_TRUE(t.Join(5000));
    EXPECT_EQ(latch.answer, 0) << "the cancelled request was still taken";
}

TEST(ThreadTest, JoinWithTimeOut) {
    Worker w;
    Thread& t = w.owned;
    ASSERT_TRUE(t.Start(false, 3));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(t.Join(0));
    EXPECT_FALSE(t.Join(30));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 30ms);
    EXPECT_TRUE(t.IsRunning());

    w.stop = true;
    EXPECT_TRUE(t.Join(-1));
    EXPECT_TRUE(t.Join(0)) << "a join after the end answers true at once";
}

TEST(ThreadTest, JoinAndDestructionReleaseAPausedWorker) {
    Worker w;
    w.idle = true;
    Thread& t = w.owned;
    ASSERT_TRUE(t.Start(false, 3));
    ASSERT_TRUE(WaitUntil([&] { return t.IsSuspended(); }));
    w.stop = true;
    EXPECT_TRUE(t.Join(5000));
    EXPECT_FALSE(t.IsSuspended());

    {
        Worker paused;
        paused.idle = true;
        ASSERT_TRUE(paused.owned.Start(false, 3));
        ASSERT_TRUE(WaitUntil([&] { return paused.owned.IsSuspended(); }));
        paused.stop = true;
    }  // the destructor's join must release it, not hang
}

TEST(ThreadTest, ResultAndExitCode) {
    Worker w;
    Thread& t = w.owned;
    w.stop = true;

    w.exitValue = 0;
    ASSERT_TRUE(t.Start(false, 3));
    ASSERT_TRUE(t.Join(-1));
    EXPECT_EQ(t.GetResult(), 0u);
    EXPECT_EQ(t.GetExitCode(), 0u);

    // The same object starts again once its worker has ended.
    w.exitValue = 7;
    ASSERT_TRUE(t.Start(false, 0));
    ASSERT_TRUE(t.Join(-1));
    EXPECT_EQ(t.GetResult(), 7u);
    EXPECT_EQ(t.GetExitCode(), Thread::kFailCode);

    // Terminate after the end only tidies up.
    ASSERT_TRUE(t.Start(false, 3));
    ASSERT_TRUE(WaitUntil([&] { return !t.IsRunning(); }));
    EXPECT_TRUE(t.Terminate());
}

// Terminate kills where the platform can; Detach never kills, on any platform.
class StuckWorkerTest : public ::testing::TestWithParam<bool> {};

TEST_P(StuckWorkerTest, IsGivenUp) {
    const bool detach = GetParam();
    struct Stuck {
        std::atomic<bool> release{false};
        std::atomic<bool> started{false};
        std::atomic<bool> finished{false};
        static u32 Run(void* arg) {
            auto* s = static_cast<Stuck*>(arg);
            s->started = true;
            while (!s->release) std::this_thread::sleep_for(100us);
            s->finished = true;
            return 0;
        }
    };
    // Outlives the test body: a worker that is only given up may still read it.
    static Stuck stuck;
    stuck.release = false;
    stuck.started = false;
    stuck.finished = false;
#ifdef _WIN32
    const bool canKill = !detach;
#else
    const bool canKill = false;
#endif
    {
        Thread t(&Stuck::Run, &stuck);
        ASSERT_TRUE(t.Start(false, 3));
        ASSERT_TRUE(WaitUntil([&] { return stuck.started.load(); }));
        EXPECT_FALSE(t.Join(10));
        const bool killed = detach ? t.Detach() : t.Terminate();
        EXPECT_EQ(killed, canKill) << "the answer says whether the worker may still run";
        EXPECT_FALSE(t.IsRunning());
        EXPECT_TRUE(t.Join(0)) << "the object no longer owns a worker";
    }
    stuck.release = true;
    if (!canKill) {
        EXPECT_TRUE(WaitUntil([&] { return stuck.finished.load(); })) << "the given-up worker ran on";
    }
}

INSTANTIATE_TEST_SUITE_P(TerminateOrDetach, StuckWorkerTest, ::testing::Bool());

}  // namespace
