#include "base/file_system.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path NativePath(const StringBase& path) {
#ifdef _WIN32
    return fs::path(path.GetWide());
#else
    return fs::path(path.GetNarrow());
#endif
}

std::FILE* OpenForReading(const StringBase& path) {
#ifdef _WIN32
    if (path.GetCharSize() != 1) return _wfopen(path.GetWide(), L"rb");
#endif
    return std::fopen(path.GetNarrow(), "rb");
}

bool IsFolder(const StringBase& path) {
    std::error_code ec;
    return fs::is_directory(NativePath(path), ec);
}

// fs::create_directories treats a trailing separator as one more empty level
// on some library versions; the folder values of the program all carry one.
fs::path WithoutTrailingSeparators(const StringBase& path) {
    fs::path p = NativePath(path);
    while (p.has_relative_path() && !p.has_filename()) p = p.parent_path();
    return p;
}

}  // namespace

bool FileReadable(const StringBase& path) {
    if (path.IsEmpty() || IsFolder(path)) return false;
    std::FILE* f = OpenForReading(path);
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool FileReadableW(const StringW& path) { return FileReadable(path); }

bool FileExists(const StringBase& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    const fs::file_status status = fs::status(NativePath(path), ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

bool FolderExists(const StringBase& path) {
    return !path.IsEmpty() && IsFolder(path);
}

bool CreateFolder(const StringBase& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    if (fs::create_directory(WithoutTrailingSeparators(path), ec)) return true;
    return FolderExists(path);
}

bool CreateFolders(const StringBase& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    fs::create_directories(WithoutTrailingSeparators(path), ec);
    return FolderExists(path);
}

bool DeleteFilePath(const StringBase& path) {
    if (path.IsEmpty()) return true;
    if (IsFolder(path)) return false;
    std::error_code ec;
    if (fs::remove(NativePath(path), ec)) return true;
    std::FILE* f = OpenForReading(path);
    if (!f) return true;
    std::fclose(f);
    return false;
}
