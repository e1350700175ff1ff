// Stream over a C-library file.
//
// A narrow path is opened as given; a wide one through _wfopen on Windows
// and, elsewhere, by its narrow form (the low byte of every character, which
// gives back the bytes a narrow path was widened from). Positions are 64-bit.
#pragma once

#include <cstdio>

#include "base/stream_interface.h"
#include "base/string_w.h"

class FileStream : public StreamInterface {
public:
    FileStream() = default;
    ~FileStream() override;

    // Tries read-write ("r+b"), then read-only ("rb"), then, when create is
    // set, "w+b". Fails on an empty path or when a file is already open.
    bool Open(const StringBase& path, bool create = false);
    // Creates or truncates the file ("w+b"). Without overwrite an existing
    // file is left alone and the call fails.
    bool Create(const StringBase& path, bool overwrite = true);
    void Close();
    const PathString& GetName() const { return name_; }

    bool IsOpen() const override { return file_ != nullptr; }
    bool IsGrowable() const override { return false; }
    bool IsSeekable() const override { return file_ != nullptr; }
    bool CanRead() const override { return readable_; }
    bool CanWrite() const override { return writable_; }
    // The length measured at open (or by the last SetSize); Write does not
    // update it.
    u64 GetSize() const override { return size_; }
    // Only grows, padding with zero bytes; a file is never shortened.
    bool SetSize(u64 size) override;
    u64 GetPosition() const override;
    bool Seek(u64 position) override;
    u64 Read(void* buffer, u64 count) override;
    u64 Write(const void* buffer, u64 count) override;

private:
    // The C library needs a seek between a write and a following read (and
    // the reverse) on a stream opened for update.
    enum class Direction { None, Reading, Writing };

    bool OpenMode(const StringBase& path, const char* mode);
    bool MeasureSize();
    void Turn(Direction direction);

    PathString name_;
    std::FILE* file_ = nullptr;
    u64 size_ = 0;
    bool readable_ = false;
    bool writable_ = false;
    Direction direction_ = Direction::None;
};
