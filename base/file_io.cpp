#include "base/file_io.h"

#include <sys/types.h>

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

bool FileSeek64(std::FILE* file, i64 offset, int origin) {
    if (!file) return false;
#ifdef _WIN32
    return _fseeki64(file, offset, origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

i64 FileTell64(std::FILE* file) {
    if (!file) return -1;
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<i64>(ftello(file));
#endif
}

namespace {

enum class OwnReason { kNotAFile = 1, kTemporaryNotAFile = 2 };

class OwnReasons : public std::error_category {
public:
    const char* name() const noexcept override { return "kuv file"; }
    std::string message(int value) const override {
        switch (static_cast<OwnReason>(value)) {
        case OwnReason::kNotAFile: return "not a file (a folder, a pipe or a device)";
        case OwnReason::kTemporaryNotAFile:
            return "a folder, a pipe or a device stands where its temporary file (\".tmp\") goes";
        }
        return "unknown reason";
    }
};

const OwnReasons& OwnCategory() {
    static const OwnReasons category;
    return category;
}

}  // namespace

std::error_code NotAFileError() {
    return std::error_code(static_cast<int>(OwnReason::kNotAFile), OwnCategory());
}

std::error_code TemporaryNotAFileError() {
    return std::error_code(static_cast<int>(OwnReason::kTemporaryNotAFile), OwnCategory());
}

bool NothingThere(const std::error_code& error) {
    if (error.category() == std::generic_category())
        return error.value() == ENOENT || error.value() == ENOTDIR;
#ifdef _WIN32
    if (error.category() == std::system_category()) {
        switch (error.value()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME:
            return true;
        default:
            return false;
        }
    }
#endif
    return false;
}

void ClearFileError() {
    errno = 0;
#ifdef _WIN32
    SetLastError(ERROR_SUCCESS);
#endif
}

std::error_code LastFileError() {
    const int saved = errno;
#ifdef _WIN32
    // The C library keeps only a coarse errno (a full disk and a quota both read
    // ENOSPC); the system's code says which.
    const DWORD code = GetLastError();
    if (code != ERROR_SUCCESS) return std::error_code(static_cast<int>(code), std::system_category());
#endif
    return std::error_code(saved != 0 ? saved : EIO, std::generic_category());
}

StringW FileErrorText(const std::error_code& error) {
    if (!error) return StringW("unknown reason");
    StringW text;
#ifdef _WIN32
    if (error.category() == std::system_category()) {
        wchar_t* message = nullptr;
        const DWORD n = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
        if (n != 0 && message) text.AssignWide(message);
        LocalFree(message);
    }
#endif
    if (text.IsEmpty()) text.Assign(error.message().c_str());
    // The system's texts end with a line break (and Windows' with a full stop
    // before it); the message puts its own punctuation.
    int end = text.GetLength();
    while (end > 0) {
        const wchar16 c = text.GetWideCharAt(end - 1);
        if (c != W16('\r') && c != W16('\n') && c != W16(' ') && c != W16('.')) break;
        --end;
    }
    text.Erase(end, text.GetLength() - end);
    if (text.IsEmpty()) text.Assign(("error " + std::to_string(error.value())).c_str());
    return text;
}
