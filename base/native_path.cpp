#include "base/native_path.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

fs::path NativePath(const StringBase& path) {
#ifdef _WIN32
    return fs::path(path.GetWide());
#else
    return fs::path(path.GetNarrow());
#endif
}

PathString FromNativePath(const fs::path& path) {
#ifdef _WIN32
    return PathString(path.wstring().c_str());
#else
    return PathString(path.string().c_str());
#endif
}

fs::path WithoutTrailingSeparators(fs::path path) {
    while (path.has_relative_path() && !path.has_filename()) path = path.parent_path();
    return path;
}

std::FILE* OpenFilePath(const StringBase& path, const char* mode) {
#ifdef _WIN32
    if (path.GetCharSize() != 1) {
        wchar_t wideMode[8] = {};
        for (size_t i = 0; mode[i] && i < 7; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
        return _wfopen(path.GetWide(), wideMode);
    }
    return std::fopen(path.GetNarrow(), mode);
#else
    std::FILE* file = std::fopen(path.GetNarrow(), mode);
    if (file) {
        // fopen opens a folder for reading here; it is no file.
        struct stat info;
        if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
            std::fclose(file);
            file = nullptr;
        }
    }
    return file;
#endif
}
