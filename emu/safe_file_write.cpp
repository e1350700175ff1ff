// Temporary file and rename-over for settings files.
#include "emu/safe_file_write.h"

#include <cstdint>
#include <cstdio>
#include <system_error>

#include "base/dictionary.h"
#include "base/file_io.h"
#include "base/file_system.h"
#include "base/memory_stream.h"
#include "base/native_path.h"
#include "base/path_text.h"
#include "base/string_w.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

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

// Writes the temporary file; created tells whether it was made (and so is the writer's
// own to remove).
bool WriteAll(const PathString& path, const void* data, u64 size, std::error_code& error, bool& created)
{
    created = false;
    if (size > SIZE_MAX) {
        error = std::make_error_code(std::errc::file_too_large);
        return false;
    }
    // Opened as every file is: a pipe there would hold the save until a reader came, and
    // a device would take the bytes; what stands there is not the writer's to remove.
    std::FILE* file = OpenFilePath(path, "wb", &error);
    if (!file) {
        if (error == NotAFileError())
            error = TemporaryNotAFileError();
        return false;
    }
    created = true;
    // The first failure is the reason; the calls after it may fail for the same cause.
    const size_t count = static_cast<size_t>(size);
    ClearFileError();  // an opening that worked may leave a code (the file existed)
    bool ok = count == 0 || std::fwrite(data, 1, count, file) == count;
    if (!ok)
        error = LastFileError();
    ClearFileError();
    if (!FlushToDisk(file) && ok) {
        error = LastFileError();
        ok = false;
    }
    ClearFileError();
    if (std::fclose(file) != 0 && ok) {
        error = LastFileError();
        ok = false;
    }
    return ok;
}

} // namespace

bool WriteFileSafely(const PathString& path, const void* data, u64 size, std::error_code* error)
{
    std::error_code reason;
    std::error_code& out = error ? *error : reason;
    out.clear();
    if (path.IsEmpty() || (data == nullptr && size != 0)) {
        out = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    if (FolderExists(path)) {
        out = std::make_error_code(std::errc::is_a_directory);
        return false;
    }
    PathString temp(path);
    temp.Append(".tmp");
    bool created = false;
    if (!WriteAll(temp, data, size, out, created)) {
        if (created)
            DeleteFilePath(temp);
        return false;
    }
    if (!ReplaceFilePath(temp, path, out)) {
        DeleteFilePath(temp);
        return false;
    }
    return true;
}

bool SaveSettingsTreeFile(const PathString& path, const Dictionary& dict, const char* head, std::error_code* error)
{
    MemoryStream content;
    if (!content.Allocate(0, -1) || !dict.Save(content, head)) {
        if (error)
            *error = std::make_error_code(std::errc::not_enough_memory);
        return false;
    }
    return WriteFileSafely(path, content.GetBuffer(), content.GetSize(), error);
}

StringW SaveFailureWhere(const PathString& path, const std::error_code& error)
{
    const int separator = LastSeparator(path);
    StringW text;
    if (separator < 0) {
        text.Assign("not written: the program's own folder could not be found");
        return text;
    }
    text.Assign("in folder \"");
    PathString folder(path);
    folder.Erase(separator + 1, folder.GetLength() - separator - 1);
    text.Append(folder);
    text.Append("\": ");
    text.Append(FileErrorText(error));
    return text;
}

StringW SaveFailureLine(const PathString& path, const std::error_code& error)
{
    StringW text("\"");
    text.Append(GetFileNamePart(path));
    text.Append("\" ");
    text.Append(SaveFailureWhere(path, error));
    return text;
}
