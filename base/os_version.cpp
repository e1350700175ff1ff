// Operating-system platform and version: the Windows version query where
// there is one, the kernel release elsewhere.
#include <atomic>
#include <cstdio>

#include "base/system_utils.h"

#ifdef _WIN32
#include <windows.h>

namespace {
bool QueryVersion(OSVERSIONINFOW& info) {
    info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExW(&info) != 0;
#pragma GCC diagnostic pop
}
}  // namespace

u32 GetOsPlatform() {
    static std::atomic<u32> cached{0};
    const u32 known = cached.load(std::memory_order_relaxed);
    if (known) return known;
    OSVERSIONINFOW info;
    if (!QueryVersion(info)) return 0;
    u32 platform = 0;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        platform = 2;
    } else if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        platform = 1;
    }
    if (platform) cached.store(platform, std::memory_order_relaxed);
    return platform;
}

bool GetOsVersion(u32& major, u32& minor) {
    OSVERSIONINFOW info;
    if (!QueryVersion(info)) return false;
    major = info.dwMajorVersion;
    minor = info.dwMinorVersion;
    return true;
}

#else
#include <sys/utsname.h>

u32 GetOsPlatform() { return 0; }

bool GetOsVersion(u32& major, u32& minor) {
    struct utsname name;
    if (uname(&name) != 0) return false;
    unsigned a = 0;
    unsigned b = 0;
    if (std::sscanf(name.release, "%u.%u", &a, &b) < 1) return false;
    major = a;
    minor = b;
    return true;
}
#endif
