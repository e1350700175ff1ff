#include "base/program_folders.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "base/file_system.h"
#include "base/path_text.h"
#include "base/string_a.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#else
#include <filesystem>
#include <system_error>

#include "base/native_path.h"
#endif

namespace {

struct Values {
    PathString separator{"\\"};
    PathString folder;
    PathString name;
    PathString extension;
    PathString appData;
    PathString dataRoot;
};

Values& Folders() {
    static Values values;
    return values;
}

// The values, worked out first when they are not yet.
Values& BuiltFolders() {
    BuildProgramFolders();
    return Folders();
}

std::atomic<bool> built{false};
std::mutex buildLock;

PathString QueryProgramPath() {
#ifdef _WIN32
    // The path may be as long as the system allows (32,767 characters, with the prefix
    // that lifts the limit); a buffer filled to its end holds a cut path, so it grows.
    constexpr DWORD kLongestPath = 32768;
    std::vector<wchar_t> buffer;
    for (DWORD size = 1024; size <= kLongestPath; size *= 2) {
        buffer.assign(size, 0);
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) return PathString();
        if (n < size) return PathString(buffer.data());
    }
    return PathString();
#else
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return PathString();
    return FromNativePath(exe);
#endif
}

PathString QueryAppDataFolder() {
#ifdef _WIN32
    wchar_t buffer[MAX_PATH + 1] = {};
    if (SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_LOCAL_APPDATA, TRUE) && buffer[0])
        return PathString(buffer);
    buffer[0] = 0;
    if (SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, TRUE) && buffer[0])
        return PathString(buffer);
    return PathString();
#else
    // The freedesktop equivalent of the local application-data folder, made
    // when missing as the Windows query does.
    std::filesystem::path dir;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && xdg[0] == '/')
        dir = xdg;
    else if (home && home[0])
        dir = std::filesystem::path(home) / ".local" / "share";
    else
        return PathString();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) return PathString();
    return FromNativePath(dir);
#endif
}

bool UnderProgramFiles(const PathString& folder) {
    StringA component;
    component.Assign(PathComponent(folder, 1));
    component.ToUpper();
    return component.GetLength() >= 13 && component.Std().compare(0, 13, "PROGRAM FILES") == 0;
}

void Compute(Values& v, const PathString& programPath, const PathString& appData) {
    v = Values{};
    if (programPath.IsEmpty()) return;

    PathString path(programPath);
    const int sep = LastSeparator(path);
    const int dot = path.ReverseFindWide(W16('.'));
    if (dot > sep) {
        v.extension.AssignWide(path.Std().substr(dot + 1).c_str());
        path.Erase(dot, path.GetLength() - dot);
    }
    if (sep >= 0) {
        v.separator.AssignWide(path.Std().substr(sep, 1).c_str());
        v.name.AssignWide(path.Std().substr(sep + 1).c_str());
        path.Erase(sep + 1, path.GetLength() - sep - 1);
    }
    v.folder = path;

    v.appData = appData;
    const int n = v.appData.GetLength();
    if (n > 0 && v.appData.GetWideCharAt(n - 1) != v.separator.GetWideCharAt(0))
        v.appData.Append(v.separator);

    v.dataRoot = UnderProgramFiles(v.folder) ? v.appData : v.folder;
}

PathString MakeFolderUnder(const PathString& root, const StringW& name, bool create) {
    const Values& v = Folders();
    const StringW& folderName = name.IsEmpty() ? v.name : name;
    if (folderName.IsEmpty()) return v.folder;
    PathString folder = JoinPath(root, folderName, StringW(), StringW());
    if (create && !FolderExists(folder) && !CreateFolder(folder)) return v.folder;
    return folder;
}

}  // namespace

void BuildProgramFolders() {
    if (built.load(std::memory_order_acquire)) return;
    std::lock_guard lock(buildLock);
    if (built.load(std::memory_order_relaxed)) return;
    const PathString programPath = QueryProgramPath();
    Compute(Folders(), programPath, programPath.IsEmpty() ? PathString() : QueryAppDataFolder());
    // Marked whatever the queries found, so a failure is not retried on every
    // access; only now, so that a thread that sees the mark finds the values
    // complete.
    built.store(true, std::memory_order_release);
}

void BuildProgramFoldersFrom(const PathString& programPath, const PathString& appDataFolder) {
    std::lock_guard lock(buildLock);
    Compute(Folders(), programPath, appDataFolder);
    built.store(true, std::memory_order_release);
}

const PathString& PathSeparator() {
    return BuiltFolders().separator;
}

const PathString& ProgramFolder() {
    return BuiltFolders().folder;
}

const PathString& ProgramName() {
    return BuiltFolders().name;
}

const PathString& ProgramExtension() {
    return BuiltFolders().extension;
}

const PathString& AppDataFolder() {
    return BuiltFolders().appData;
}

const PathString& DataRoot() {
    return BuiltFolders().dataRoot;
}

PathString MakeDataFolder(const StringW& name, bool create) {
    const Values& v = BuiltFolders();
    if (v.dataRoot.IsEmpty() || v.dataRoot.Compare(v.folder) == 0) return v.folder;
    return MakeFolderUnder(v.dataRoot, name, create);
}

PathString MakeAppDataFolder(const StringW& name, bool create) {
    const Values& v = BuiltFolders();
    if (v.appData.IsEmpty()) return v.folder;
    return MakeFolderUnder(v.appData, name, create);
}

bool SetProgramFolder(const PathString& folder, const PathString& name, bool create) {
    Values& v = BuiltFolders();
    if (create && folder.IsEmpty()) return false;
    if (!folder.IsEmpty()) {
        PathString f(folder);
        const wchar16 last = f.GetWideCharAt(f.GetLength() - 1);
        if (last != W16('/') && last != W16('\\')) f.Append(v.separator);
        if (create && !FolderExists(f) && !CreateFolder(f)) return false;
        v.folder = f;
    }
    if (!name.IsEmpty()) v.name = name;
    return true;
}
