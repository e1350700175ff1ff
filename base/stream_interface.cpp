#include "base/stream_interface.h"

#include <cstring>

u64 StreamInterface::ReadAt(void* buffer, u64 offset, u64 count) {
    if (!Seek(offset)) return 0;
    return Read(buffer, count);
}

u64 StreamInterface::WriteAt(const void* buffer, u64 offset, u64 count) {
    if (!Seek(offset)) return 0;
    return Write(buffer, count);
}

bool ReadExactly(StreamInterface& stream, void* data, u64 size) {
    return size == 0 || stream.Read(data, size) == size;
}

bool WriteExactly(StreamInterface& stream, const void* data, u64 size) {
    return size == 0 || stream.Write(data, size) == size;
}

bool WriteRawText(StreamInterface& stream, const char* text) {
    return text == nullptr || WriteExactly(stream, text, std::strlen(text));
}
