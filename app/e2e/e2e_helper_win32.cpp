// What the end-to-end test asks of Windows from outside the program (run under Wine):
//
//   kuv_e2e_helper settings <file>   writes a settings file: auto-start, fast
//                                    initialisation, "No Sound"
//   kuv_e2e_helper title <key>       prints the title of the program's main window, the
//                                    program being the one whose file's path holds key
//   kuv_e2e_helper screen <key>      prints "width height x y" of that window's largest
//                                    child window (the emulation screen), on the screen
//   kuv_e2e_helper close <key>       posts WM_CLOSE to that window
//   kuv_e2e_helper window <key>      prints "x y" of that window's top-left corner
//   kuv_e2e_helper width <key> <w>   sizes that window to w pixels wide, as a drag of its
//                                    side would (the window keeps to its smallest width)
//   kuv_e2e_helper dialog <key> <title>
//                                    succeeds while a visible window titled title of
//                                    the same process is open (a dialog of the program)
//
// Exit code 0 on success, 1 when the window is not there, 2 for a bad command line.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "base/dictionary.h"
#include "base/string_w.h"
#include "emu/safe_file_write.h"

namespace {

struct Search {
    const wchar_t* key;
    HWND found;
};

// The program's window: a visible top-level window titled "KUV..." whose process runs a
// program file whose path holds key (the test's own folder).
BOOL CALLBACK MatchProgram(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    if (!IsWindowVisible(window) || wcsncmp(text, L"KUV", 3) != 0)
        return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return TRUE;
    wchar_t path[1024] = {};
    DWORD size = 1024;
    const bool named = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
    CloseHandle(process);
    if (named && wcsstr(path, search->key)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindProgramWindow(const wchar_t* key)
{
    Search search{key, nullptr};
    EnumWindows(MatchProgram, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Largest {
    HWND parent;
    HWND found;
    long area;
};

BOOL CALLBACK MatchLargest(HWND window, LPARAM data)
{
    auto* largest = reinterpret_cast<Largest*>(data);
    RECT r;
    if (GetParent(window) == largest->parent && IsWindowVisible(window) && GetWindowRect(window, &r)) {
        const long area = static_cast<long>(r.right - r.left) * (r.bottom - r.top);
        if (area > largest->area) {
            largest->area = area;
            largest->found = window;
        }
    }
    return TRUE;
}

bool WriteSettings(const wchar_t* path)
{
    bool on = true;
    StringA sound("No Sound");
    Dictionary dict;
    dict.BindBool("guiAutoStartEmulation", &on);
    dict.BindBool("EmuFastInit", &on);
    dict.BindString("EmuDefaultSound", &sound);
    return SaveSettingsTreeFile(PathString(StringW(reinterpret_cast<const wchar16*>(path))), dict,
                                kSettingsFileHead);
}

struct DialogSearch {
    DWORD processId;
    const wchar_t* title;
    bool found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<DialogSearch*>(data);
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (IsWindowVisible(window) && processId == search->processId && wcscmp(text, search->title) == 0) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 4 && std::wstring(argv[1]) == L"dialog") {
        HWND window = FindProgramWindow(argv[2]);
        if (!window)
            return 1;
        DialogSearch search{0, argv[3], false};
        GetWindowThreadProcessId(window, &search.processId);
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        return search.found ? 0 : 1;
    }
    if (argc == 4 && std::wstring(argv[1]) == L"width") {
        HWND window = FindProgramWindow(argv[2]);
        RECT r;
        if (!window || !GetWindowRect(window, &r))
            return 1;
        const int width = _wtoi(argv[3]);
        return SetWindowPos(window, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER) ? 0 : 1;
    }
    if (argc != 3)
        return 2;
    const std::wstring command = argv[1];
    if (command == L"settings")
        return WriteSettings(argv[2]) ? 0 : 1;
    HWND window = FindProgramWindow(argv[2]);
    if (!window)
        return 1;
    if (command == L"title") {
        wchar_t text[512] = {};
        GetWindowTextW(window, text, 512);
        std::printf("%ls\n", text);
        return 0;
    }
    if (command == L"screen") {
        Largest largest{window, nullptr, 0};
        EnumChildWindows(window, MatchLargest, reinterpret_cast<LPARAM>(&largest));
        RECT r;
        if (!largest.found || !GetWindowRect(largest.found, &r))
            return 1;
        std::printf("%ld %ld %ld %ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return 0;
    }
    if (command == L"window") {
        RECT r;
        if (!GetWindowRect(window, &r))
            return 1;
        std::printf("%ld %ld\n", r.left, r.top);
        return 0;
    }
    if (command == L"close")
        return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    return 2;
}
