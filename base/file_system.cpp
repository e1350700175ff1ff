#include "base/file_system.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/file_io.h"
#include "base/native_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

bool IsFolder(const StringBase& path) {
    std::error_code ec;
    return fs::is_directory(NativePath(path), ec);
}

}  // namespace

PathProbe ProbePath(const StringBase& path) {
    PathProbe probe;
    if (path.IsEmpty()) return probe;
    std::FILE* f = OpenFilePath(path, "rb", &probe.reason);
    if (f) {
        std::fclose(f);
        probe.holds = PathHolds::kFile;
    } else if (probe.reason == NotAFileError()) {
        probe.holds = PathHolds::kNonFile;
    } else if (!NothingThere(probe.reason)) {
        probe.holds = PathHolds::kUnreadable;
    }
    return probe;
}

bool FileReadable(const StringBase& path) { return ProbePath(path).holds == PathHolds::kFile; }

bool FileReadableW(const StringW& path) { return FileReadable(path); }

bool FileExists(const StringBase& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    const fs::file_status status = fs::status(NativePath(path), ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

bool NonFileAt(const StringBase& path) { return ProbePath(path).holds == PathHolds::kNonFile; }

bool FolderExists(const StringBase& path) {
    return !path.IsEmpty() && IsFolder(path);
}

bool CreateFolder(const StringBase& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    if (fs::create_directory(WithoutTrailingSeparators(NativePath(path)), ec)) return true;
    return FolderExists(path);
}

bool CreateFolders(const StringBase& path, std::error_code* error) {
    std::error_code reason;
    std::error_code& out = error ? *error : reason;
    out.clear();
    if (path.IsEmpty()) {
        out = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    const fs::path target = WithoutTrailingSeparators(NativePath(path));
    std::error_code ec;
    if (fs::is_directory(target, ec)) return true;
    // The missing levels, from the deepest folder that exists down: a root of any form
    // (C:\, \\?\C:\, \\server\share\, \\?\UNC\server\share\) is never made, where a level
    // such as "\\?\C:" is refused as a name. Each is made by the system's own call, so
    // that a refusal gives the system's reason (the library's own codes on Windows are
    // coarse); a file in the place of a level gives the system's "already exists".
    std::vector<fs::path> missing;
    for (fs::path level = target; level.has_relative_path() && !fs::is_directory(level, ec);
         level = level.parent_path()) {
        missing.push_back(level);
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        ClearFileError();
#ifdef _WIN32
        const bool ok = CreateDirectoryW(level->c_str(), nullptr) != 0;
#else
        const bool ok = mkdir(level->c_str(), 0777) == 0;
#endif
        if (!ok) {
            out = LastFileError();
            if (!fs::is_directory(*level, ec)) return false;  // else made meanwhile by another
            out.clear();
        }
    }
    return true;
}

bool ReplaceFilePath(const StringBase& from, const StringBase& to, std::error_code& error) {
    error.clear();
    ClearFileError();
#ifdef _WIN32
    const bool ok = MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    const bool ok = std::rename(from.GetNarrow(), to.GetNarrow()) == 0;
#endif
    if (!ok) error = LastFileError();
    return ok;
}

bool DeleteFilePath(const StringBase& path) {
    if (path.IsEmpty()) return true;
    if (IsFolder(path)) return false;
    std::error_code ec;
    if (fs::remove(NativePath(path), ec)) return true;
    std::FILE* f = OpenFilePath(path, "rb");
    if (!f) return true;
    std::fclose(f);
    return false;
}
