// The stream of a medium in a drive.
//
// DriveFile is what a machine reads an image through: a byte stream that can be opened on
// a path and closed. DriveFileProxy passes every stream operation on to an inner stream;
// DriveHostFile is the proxy over a file of the host, opened read-write when the file
// allows it, else read-only, and never created.
#pragma once

#include "base/file_stream.h"
#include "base/stream_interface.h"

class PathString;

class DriveFile : public StreamInterface {
public:
    ~DriveFile() override = default;

    virtual bool Open(const PathString& path) = 0;
    virtual void Close() = 0;
    // Reserved: no medium answers anything but 0, and nothing calls them.
    virtual u32 ReservedQuery(u32, u32, u32, u32) { return 0; }
    virtual u64 ReservedRead(u32, u32, u32, u32, u32, u32, u32, u32, u32) { return 0; }
    virtual u64 ReservedWrite(u32, u32, u32, u32, u32, u32, u32, u32, u32) { return 0; }
};

class DriveFileProxy : public DriveFile {
public:
    DriveFileProxy() = default;
    DriveFileProxy(StreamInterface* inner, bool owns) : inner_(inner), owns_(owns) {}
    ~DriveFileProxy() override;

    // Without an inner stream every query answers false or 0 and nothing moves.
    bool IsOpen() const override;
    bool IsGrowable() const override;
    bool IsSeekable() const override;
    bool CanRead() const override;
    bool CanWrite() const override;
    u64 GetSize() const override;
    bool SetSize(u64 size) override;
    u64 GetPosition() const override;
    bool Seek(u64 position) override;
    u64 Read(void* buffer, u64 count) override;
    u64 Write(const void* buffer, u64 count) override;
    // A seek on the inner stream, then the read or write; 0 when the seek fails.
    u64 ReadAt(void* buffer, u64 offset, u64 count) override;
    u64 WriteAt(const void* buffer, u64 offset, u64 count) override;

protected:
    // An owned inner stream is deleted with the proxy.
    void SetInner(StreamInterface* inner, bool owns);

private:
    StreamInterface* inner_ = nullptr;
    bool owns_ = false;
};

class DriveHostFile : public DriveFileProxy {
public:
    DriveHostFile() { SetInner(&file_, false); }
    ~DriveHostFile() override { SetInner(nullptr, false); }

    bool Open(const PathString& path) override { return file_.Open(path, false); }
    void Close() override { file_.Close(); }
    bool IsOpen() const override { return file_.IsOpen(); }
    u64 GetSize() const override { return file_.IsOpen() ? file_.GetSize() : 0; }

private:
    FileStream file_;
};
