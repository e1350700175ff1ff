#include "base/native_path.h"

#include "base/file_io.h"

#ifdef _WIN32
#include <sys/stat.h>

#include <cwctype>
#include <string>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
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

#ifdef _WIN32
namespace {

// Windows keeps these names for its devices in every folder, with any extension and
// trailing spaces and colons ("con.rom", "LPT1 ", "C:\CON:"): an open of one reaches the
// device, or fails with the device's own error (the console of a program without one is
// "Invalid handle"), and never a file. They are refused by name, before the device is touched.
bool IsDeviceName(const StringBase& path) {
    std::wstring text = NativePath(path).wstring();
    // Else the colon would be taken for a separator, and the name for empty.
    while (!text.empty() && text.back() == L':') text.pop_back();
    const size_t separator = text.find_last_of(L"\\/:");
    const size_t start = separator == std::wstring::npos ? 0 : separator + 1;
    std::wstring name = text.substr(start, text.find_first_of(L".:", start) - start);
    while (!name.empty() && name.back() == L' ') name.pop_back();
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if (name == device) return true;
    }
    return name.size() == 4 && (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) &&
           name[3] >= L'1' && name[3] <= L'9';
}

}  // namespace
#else
namespace {

// The open(2) flags of an fopen mode ("rb", "r+b", "wb", "w+b", "ab", "a+b"); -1 for any other.
int OpenFlags(const char* mode) {
    const bool update = std::strchr(mode, '+') != nullptr;
    switch (mode[0]) {
    case 'r': return update ? O_RDWR : O_RDONLY;
    case 'w': return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a': return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default: return -1;
    }
}

}  // namespace
#endif

std::FILE* OpenFilePath(const StringBase& path, const char* mode, std::error_code* error) {
    std::error_code reason;
    std::error_code& out = error ? *error : reason;
    out.clear();
    if (!mode || path.IsEmpty()) {
        out = std::make_error_code(std::errc::invalid_argument);
        return nullptr;
    }
    ClearFileError();
#ifdef _WIN32
    if (IsDeviceName(path)) {
        out = NotAFileError();
        return nullptr;
    }
    std::FILE* file = nullptr;
    if (path.GetCharSize() != 1) {
        wchar_t wideMode[8] = {};
        for (size_t i = 0; mode[i] && i < 7; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
        file = _wfopen(path.GetWide(), wideMode);
    } else {
        file = std::fopen(path.GetNarrow(), mode);
    }
    if (!file) {
        out = LastFileError();
        // A folder does not open at all here ("Access is denied"): the reason is what it is.
        std::error_code ignored;
        if (std::filesystem::is_directory(NativePath(path), ignored)) out = NotAFileError();
        return nullptr;
    }
    // The C library's type of the handle: a device (CON, NUL, a port) or a pipe is
    // character or FIFO here, only a file on a disk is regular.
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        out = NotAFileError();
        return nullptr;
    }
    return file;
#else
    const int flags = OpenFlags(mode);
    if (flags < 0) {
        out = std::make_error_code(std::errc::invalid_argument);
        return nullptr;
    }
    // Without O_NONBLOCK a named pipe would hold the open until a writer (or a reader)
    // comes; the type is known only once it is open, and anything but a regular file
    // (a folder, a pipe, a device) is refused before a byte is read or written.
    const int fd = open(path.GetNarrow(), flags | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) {
        out = LastFileError();
        // A folder opened for writing, or a pipe nobody reads, fails before its type is
        // seen: what stands there says why.
        struct stat there;
        if (stat(path.GetNarrow(), &there) == 0 && !S_ISREG(there.st_mode)) out = NotAFileError();
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        out = NotAFileError();
        return nullptr;
    }
    std::FILE* file = fcntl(fd, F_SETFL, flags & O_APPEND) == 0 ? fdopen(fd, mode) : nullptr;
    if (!file) {
        out = LastFileError();
        close(fd);
    }
    return file;
#endif
}
