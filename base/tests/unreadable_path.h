// Something that stands at a path and does not open, for as long as the object lives,
// made the way each host allows an ordinary user or root: on Windows a file that another
// handle holds without sharing (the sharing violation of a file open in another program),
// elsewhere a symbolic link to itself.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/file_io.h"

class UnreadablePath {
public:
    explicit UnreadablePath(const std::filesystem::path& path)
    {
        std::filesystem::create_directories(path.parent_path());
#ifdef _WIN32
        handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        made_ = handle_ != INVALID_HANDLE_VALUE;
#else
        std::error_code ec;
        std::filesystem::create_symlink(path.filename(), path, ec);
        made_ = !ec;
#endif
    }
    ~UnreadablePath()
    {
#ifdef _WIN32
        if (made_)
            CloseHandle(handle_);
#endif
    }
    UnreadablePath(const UnreadablePath&) = delete;
    UnreadablePath& operator=(const UnreadablePath&) = delete;

    bool Made() const { return made_; }
    // The system's words for why an open fails there.
    static std::string Reason()
    {
#ifdef _WIN32
        return FileErrorText(std::error_code(ERROR_SHARING_VIOLATION, std::system_category())).GetNarrow();
#else
        return FileErrorText(std::make_error_code(std::errc::too_many_symbolic_link_levels)).GetNarrow();
#endif
    }

private:
    bool made_ = false;
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#endif
};
