// Temporary file and rename-over for settings files.
#include "emu/safe_file_write.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/dictionary.h"
#include "base/file_system.h"
#include "base/memory_stream.h"
#include "base/native_path.h"
#include "base/string_w.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::FILE* CreateForWriting(const PathString& path)
{
#ifdef _WIN32
    return _wfopen(path.GetWide(), L"wb");
#else
    return std::fopen(path.GetNarrow(), "wb");
#endif
}

// The bytes must be on the disk before the rename makes them the file; otherwise a crash
// right after the rename could leave an empty file under the target's name.
bool FlushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool WriteAll(const PathString& path, const void* data, u64 size)
{
    if (size > SIZE_MAX)
        return false;
    std::FILE* file = CreateForWriting(path);
    if (!file)
        return false;
    const size_t count = static_cast<size_t>(size);
    bool ok = count == 0 || std::fwrite(data, 1, count, file) == count;
    ok = FlushToDisk(file) && ok;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

} // namespace

bool WriteFileSafely(const PathString& path, const void* data, u64 size)
{
    if (path.IsEmpty() || (data == nullptr && size != 0) || FolderExists(path))
        return false;
    PathString temp(path);
    temp.Append(".tmp");
    if (!WriteAll(temp, data, size)) {
        DeleteFilePath(temp);
        return false;
    }
    // Replaces an existing target in one step on both hosts (MoveFileEx with
    // MOVEFILE_REPLACE_EXISTING underneath on Windows).
    std::error_code ec;
    fs::rename(NativePath(temp), NativePath(path), ec);
    if (ec) {
        DeleteFilePath(temp);
        return false;
    }
    return true;
}

bool SaveSettingsTreeFile(const PathString& path, const Dictionary& dict, const char* head)
{
    MemoryStream content;
    if (!content.Allocate(0, -1) || !dict.Save(content, head))
        return false;
    return WriteFileSafely(path, content.GetBuffer(), content.GetSize());
}
