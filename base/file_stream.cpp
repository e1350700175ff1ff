#include "base/file_stream.h"

#include <cstdint>
#include <cstring>

#include "base/file_io.h"
#include "base/native_path.h"

namespace {
size_t ClipToSize(u64 count) {
    return count > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(count);
}
}  // namespace

FileStream::~FileStream() { Close(); }

bool FileStream::OpenMode(const StringBase& path, const char* mode) {
    file_ = OpenFilePath(path, mode);
    direction_ = Direction::None;
    return file_ != nullptr;
}

bool FileStream::MeasureSize() {
    if (!FileSeek64(file_, 0, SEEK_END)) return false;
    const i64 end = FileTell64(file_);
    if (end < 0 || !FileSeek64(file_, 0, SEEK_SET)) return false;
    size_ = static_cast<u64>(end);
    return true;
}

bool FileStream::Open(const StringBase& path, bool create) {
    if (file_ || path.IsEmpty()) return false;
    if (OpenMode(path, "r+b")) {
        writable_ = true;
    } else if (OpenMode(path, "rb")) {
        writable_ = false;
    } else if (create && OpenMode(path, "w+b")) {
        writable_ = true;
    } else {
        return false;
    }
    readable_ = true;
    if (!MeasureSize()) {
        Close();
        return false;
    }
    name_.Assign(path);
    return true;
}

bool FileStream::Create(const StringBase& path, bool overwrite) {
    if (file_ || path.IsEmpty()) return false;
    if (!overwrite && OpenMode(path, "rb")) {
        Close();
        return false;
    }
    if (!OpenMode(path, "w+b")) return false;
    readable_ = true;
    writable_ = true;
    size_ = 0;
    name_.Assign(path);
    return true;
}

void FileStream::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
    readable_ = false;
    writable_ = false;
    direction_ = Direction::None;
}

void FileStream::Turn(Direction direction) {
    if (direction_ != direction && direction_ != Direction::None) FileSeek64(file_, 0, SEEK_CUR);
    direction_ = direction;
}

bool FileStream::SetSize(u64 size) {
    if (!file_) return false;
    if (size == size_) return true;
    if (size < size_ || size > static_cast<u64>(INT64_MAX)) return false;
    // Pad from the real end: bytes written since the size was measured stay.
    if (!FileSeek64(file_, 0, SEEK_END)) return false;
    direction_ = Direction::None;
    i64 end = FileTell64(file_);
    if (end < 0) return false;
    static const u8 zeros[4096] = {};
    while (static_cast<u64>(end) < size) {
        const u64 chunk = size - static_cast<u64>(end) < sizeof(zeros) ? size - static_cast<u64>(end) : sizeof(zeros);
        Turn(Direction::Writing);
        const size_t written = std::fwrite(zeros, 1, static_cast<size_t>(chunk), file_);
        end += static_cast<i64>(written);
        if (written != chunk) break;
    }
    std::fflush(file_);
    if (!FileSeek64(file_, 0, SEEK_END)) return false;
    direction_ = Direction::None;
    end = FileTell64(file_);
    if (end < 0) return false;
    size_ = static_cast<u64>(end);
    return size_ == size;
}

u64 FileStream::GetPosition() const {
    const i64 position = FileTell64(file_);
    return position < 0 ? 0 : static_cast<u64>(position);
}

bool FileStream::Seek(u64 position) {
    if (!file_ || position > static_cast<u64>(INT64_MAX)) return false;
    if (!FileSeek64(file_, static_cast<i64>(position), SEEK_SET)) return false;
    direction_ = Direction::None;
    return true;
}

u64 FileStream::Read(void* buffer, u64 count) {
    if (!file_ || !buffer || count == 0) return 0;
    Turn(Direction::Reading);
    return std::fread(buffer, 1, ClipToSize(count), file_);
}

u64 FileStream::Write(const void* buffer, u64 count) {
    if (!file_ || !buffer || count == 0) return 0;
    Turn(Direction::Writing);
    return std::fwrite(buffer, 1, ClipToSize(count), file_);
}
