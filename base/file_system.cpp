#include "base/file_system.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/native_path.h"

namespace fs = std::filesystem;

namespace {

bool IsFolder(const StringBase& path) {
    std::error_code ec;
    return fs::is_directory(NativePath(path), ec);
}

}  // namespace

bool FileReadable(const StringBase& path) {
    if (path.IsEmpty() || IsFolder(path)) return false;
    std::FILE* f = OpenFilePath(path, "rb");
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

bool NonFileAt(const StringBase& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    const fs::file_status status = fs::status(NativePath(path), ec);
    return !ec && fs::exists(status) && !fs::is_regular_file(status);
}

bool FolderExists(const StringBase& path) {
    return !path.IsEmpty() && IsFolder(path);
}

bool CreateFolder(const StringBase& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    if (fs::create_directory(WithoutTrailingSeparators(NativePath(path)), ec)) return true;
    return FolderExists(path);
}

bool CreateFolders(const StringBase& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    fs::create_directories(WithoutTrailingSeparators(NativePath(path)), ec);
    return FolderExists(path);
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
