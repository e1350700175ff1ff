// A named pipe nobody writes to or reads from, standing in the file system while the object
// lives. Windows itself has none there, but under Wine a program meets the host's: the
// test has the host's own mkfifo and rm (which Wine starts as it starts any program) make
// and remove it, since Wine's own removal of a pipe does not come back. Made() is false
// where none can be made (Windows itself).
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

class NamedPipe {
public:
    explicit NamedPipe(const std::filesystem::path& where) : where_(where)
    {
#ifdef _WIN32
        made_ = RunOnHost(L"Z:\\usr\\bin\\mkfifo", L"mkfifo", true);
#else
        made_ = mkfifo(where.c_str(), 0600) == 0;
#endif
    }
    ~NamedPipe()
    {
        if (!made_)
            return;
#ifdef _WIN32
        RunOnHost(L"Z:\\bin\\rm", L"rm -f", false);
#else
        unlink(where_.c_str());
#endif
    }
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    bool Made() const { return made_; }

private:
#ifdef _WIN32
    // Runs the host's program on the pipe's host path and waits (a host program's handle
    // is not waited for under Wine) until the pipe is there, or gone.
    bool RunOnHost(const wchar_t* program, const wchar_t* command, bool there)
    {
        using UnixName = char*(CDECL*)(const wchar_t*);
        const auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        const std::wstring path = std::filesystem::absolute(where_).wstring();
        char* name = unixName ? unixName(path.c_str()) : nullptr;
        if (!name)
            return false;
        std::wstring line = std::wstring(command) + L" \"";
        for (const char* c = name; *c; ++c)
            line += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        line += L"\"";
        HeapFree(GetProcessHeap(), 0, name);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // Wine's attributes of a pipe fail; the folder's listing shows it.
        for (int i = 0; i < 500; ++i) {
            WIN32_FIND_DATAW entry;
            const HANDLE found = FindFirstFileW(path.c_str(), &entry);
            if (found != INVALID_HANDLE_VALUE)
                FindClose(found);
            if ((found != INVALID_HANDLE_VALUE) == there)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
#endif

    std::filesystem::path where_;
    bool made_ = false;
};
