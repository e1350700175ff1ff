// Temporary file and rename-over for settings files.
#include "emu/safe_file_write.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <system_error>
#include <vector>

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

// Writes the whole content into the open temporary file; false at the first failed read
// or write, whose reason the system then holds.
using SafeFileFiller = std::function<bool(std::FILE* file)>;

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

// Writes the temporary file by fill; created tells whether it was made (and so is the
// writer's own to remove).
bool WriteTemporary(const PathString& path, const SafeFileFiller& fill, std::error_code& error, bool& created)
{
    created = false;
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
    ClearFileError();  // an opening that worked may leave a code (the file existed)
    bool ok = fill(file);
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

// The temporary file filled by fill, then renamed over path.
bool WriteSafely(const PathString& path, const SafeFileFiller& fill, std::error_code& out)
{
    out.clear();
    if (path.IsEmpty()) {
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
    if (!WriteTemporary(temp, fill, out, created)) {
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

} // namespace

bool WriteFileSafely(const PathString& path, const void* data, u64 size, std::error_code* error)
{
    std::error_code reason;
    std::error_code& out = error ? *error : reason;
    if (data == nullptr && size != 0) {
        out = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    if (size > SIZE_MAX) {
        out = std::make_error_code(std::errc::file_too_large);
        return false;
    }
    const size_t count = static_cast<size_t>(size);
    return WriteSafely(
        path, [data, count](std::FILE* file) { return count == 0 || std::fwrite(data, 1, count, file) == count; },
        out);
}

bool CopyFileSafely(const PathString& from, const PathString& to, std::error_code* error)
{
    std::error_code reason;
    std::error_code& out = error ? *error : reason;
    // Opened before anything is written, so that a source that does not open leaves the
    // target as it was.
    std::FILE* source = OpenFilePath(from, "rb", &out);
    if (!source)
        return false;
    const bool ok = WriteSafely(
        to,
        [source](std::FILE* file) {
            // In pieces: a file of any size goes through one bounded buffer, which a
            // 32-bit program's address space may not hold the whole file in.
            std::vector<u8> piece(kSafeCopyPiece);
            for (;;) {
                ClearFileError();
                const size_t got = std::fread(piece.data(), 1, piece.size(), source);
                if ((got < piece.size() && std::ferror(source)) ||
                    (got != 0 && std::fwrite(piece.data(), 1, got, file) != got))
                    return false;
                if (got < piece.size())
                    return true;
            }
        },
        out);
    std::fclose(source);
    return ok;
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

namespace {

// `in folder "<folder>"`; false for a path without a folder.
bool AppendFolderText(const PathString& path, StringW& text)
{
    const int separator = LastSeparator(path);
    if (separator < 0)
        return false;
    PathString folder(path);
    folder.Erase(separator + 1, folder.GetLength() - separator - 1);
    text.Append("in folder \"");
    text.Append(folder);
    text.Append("\"");
    return true;
}

StringW FileNameText(const PathString& path)
{
    StringW text("\"");
    text.Append(GetFileNamePart(path));
    text.Append("\" ");
    return text;
}

} // namespace

StringW SaveFailureWhere(const PathString& path, const std::error_code& error, const std::error_code& folderError)
{
    StringW text;
    if (!AppendFolderText(path, text)) {
        text.Assign("not written: the program's own folder could not be found");
        return text;
    }
    // Else the reason would read as the file's own ("File already exists").
    text.Append(folderError ? ", which could not be made: " : ": ");
    text.Append(FileErrorText(folderError ? folderError : error));
    return text;
}

StringW SaveFailureLine(const PathString& path, const std::error_code& error, const std::error_code& folderError)
{
    StringW text = FileNameText(path);
    text.Append(SaveFailureWhere(path, error, folderError));
    return text;
}

StringW UnkeptFailureLine(const PathString& path, const std::error_code& error)
{
    StringW text = FileNameText(path);
    AppendFolderText(path, text);
    text.Append(": not written, the damaged file could not be kept as \"");
    text.Append(GetFileNamePart(path));
    text.Append(".bad\": ");
    text.Append(FileErrorText(error));
    return text;
}
