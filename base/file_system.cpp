#include "base/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <string>
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

#ifdef _WIN32
using PathText = std::wstring;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The end of the component that starts at from, and of the separator after it.
size_t PastComponent(const PathText& text, size_t from) {
    while (from < text.size() && !IsSeparator(text[from])) ++from;
    return from < text.size() ? from + 1 : from;
}

// The length of the path's root, read from the text ("C:\", "C:", "\", "\\server\share\",
// "\\?\C:\", "\\?\UNC\server\share\", "\\.\" as "\\?\"): the library's own parts take
// "\\?\C:" for a level below a root.
size_t RootLength(const PathText& text) {
    if (text.size() >= 2 && text[1] == L':') return text.size() > 2 && IsSeparator(text[2]) ? 3 : 2;
    if (text.empty() || !IsSeparator(text[0])) return 0;
    if (text.size() < 2 || !IsSeparator(text[1])) return 1;
    if (text.size() >= 4 && (text[2] == L'?' || text[2] == L'.') && IsSeparator(text[3])) {
        const bool unc = text.size() >= 8 && _wcsnicmp(text.c_str() + 4, L"UNC", 3) == 0 && IsSeparator(text[7]);
        if (!unc) return PastComponent(text, 4);  // the drive ("C:") or the volume
        return PastComponent(text, PastComponent(text, 8));
    }
    return PastComponent(text, PastComponent(text, 2));
}
#else
using PathText = std::string;

bool IsSeparator(char c) { return c == '/'; }

size_t RootLength(const PathText& text) { return !text.empty() && text[0] == '/' ? 1 : 0; }
#endif

bool IsFolderAt(const PathText& path) {
#ifdef _WIN32
    // The C library's stat behind the library's status takes no \\?\ path.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
    struct stat there;
    return stat(path.c_str(), &there) == 0 && S_ISDIR(there.st_mode);
#endif
}

bool IsFolder(const StringBase& path) { return IsFolderAt(NativePath(path).native()); }

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
    // The missing levels, from the deepest folder that exists down. The root is never
    // made, nor anything above it: the reason told is the system's for the first level
    // that really is. Each is made by the system's own call, so that a refusal gives the
    // system's reason (the library's own codes on Windows are coarse); a file in the
    // place of a level gives the system's "already exists".
    const PathText text = NativePath(path).native();
    const size_t root = RootLength(text);
    std::vector<PathText> missing;
    for (size_t end = text.size(); end > root;) {
        while (end > root && IsSeparator(text[end - 1])) --end;  // a trailing or doubled separator
        if (end <= root) break;
        const PathText level = text.substr(0, end);
        if (IsFolderAt(level)) break;
        missing.push_back(level);
        while (end > root && !IsSeparator(text[end - 1])) --end;
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
            if (!IsFolderAt(*level)) return false;  // else made meanwhile by another
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
