// A re-entrant lock with a depth counter beside it, and the guard that holds
// it for the length of a block. The depth tells how many guards are active
// and is changed only while the lock is held.
#pragma once

#include <mutex>

class LockRecord {
public:
    LockRecord() = default;
    LockRecord(const LockRecord&) = delete;
    LockRecord& operator=(const LockRecord&) = delete;

    void Enter() {
        mutex_.lock();
        ++depth_;
    }
    bool TryEnter() {
        if (!mutex_.try_lock()) return false;
        ++depth_;
        return true;
    }
    void Leave() {
        if (depth_ != 0) --depth_;
        mutex_.unlock();
    }
    // Meaningful only to the thread that holds the lock.
    int Depth() const { return depth_; }

private:
    std::recursive_mutex mutex_;
    int depth_ = 0;
};

class ScopedLock {
public:
    // A null record makes the guard do nothing.
    explicit ScopedLock(LockRecord* record) : record_(record) {
        if (record_) record_->Enter();
    }
    explicit ScopedLock(LockRecord& record) : ScopedLock(&record) {}
    ~ScopedLock() {
        if (record_) record_->Leave();
    }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    LockRecord* record_;
};
