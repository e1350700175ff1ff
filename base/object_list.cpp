#include "base/object_list.h"

#include "base/stream_interface.h"

void ObjectList::Sort() {
    cursorIndex_ = -1;
    // std::list::sort is a stable merge sort.
    entries_.sort([](const Entry& a, const Entry& b) {
        return CompareStringPointers(a.element.get(), b.element.get()) < 0;
    });
}

bool ObjectList::WriteLines(StreamInterface& stream) {
    static const char lineEnd[2] = {0x0D, 0x0A};
    StringA line;
    for (const Entry& entry : entries_) {
        if (!entry.element) return false;
        line.Assign(*entry.element);
        const u64 length = static_cast<u64>(line.GetLength());
        if (stream.Write(line.CStr(), length) != length) return false;
        if (stream.Write(lineEnd, 2) != 2) return false;
    }
    return true;
}

int ObjectList::AddHexDump(StreamInterface& stream, int format, int perLine, const StringA& separator,
                           const StringA& prefix, const StringA& suffix) {
    if (format != 1 || perLine <= 0) return -1;
    StringA line;
    int room = perLine;
    int count = 0;
    while (stream.GetPosition() < stream.GetSize()) {
        u8 byte = 0;
        if (stream.Read(&byte, 1) != 1) return -1;
        if (room == 0) {
            if (Add(line) < 0) return -1;
            line.Clear();
            room = perLine - 1;
        } else {
            --room;
        }
        line.AppendFormat("%s%.2x%s%s", prefix.CStr(), static_cast<unsigned>(byte), suffix.CStr(),
                          separator.CStr());
        ++count;
    }
    if (!line.IsEmpty() && Add(line) < 0) return -1;
    return count;
}
