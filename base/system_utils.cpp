#include "base/system_utils.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

#include "base/file_io.h"
#include "base/native_path.h"
#include "base/string_a.h"

bool ReturnTrue() { return true; }

bool PerfFrequency(u64& frequency) {
    using Period = std::chrono::steady_clock::period;
    frequency = static_cast<u64>(Period::den / Period::num);
    return true;
}

bool PerfCounter(u64& counter) {
    counter = static_cast<u64>(std::chrono::steady_clock::now().time_since_epoch().count());
    return true;
}

void SleepMs(u32 milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void ZeroMem(void* p, u64 count) {
    if (p && count) std::memset(p, 0, static_cast<size_t>(count));
}

void FillMem(void* p, u64 count, u8 value) {
    if (p && count) std::memset(p, value, static_cast<size_t>(count));
}

void CopyMem(void* dest, const void* src, u64 count) {
    if (dest == src || !dest || !src || !count) return;
    std::memcpy(dest, src, static_cast<size_t>(count));
}

u64 ReadFileBytes(const char* path, void* buffer, u64 count) {
    if (!path || !buffer || count == 0) return 0;
    std::FILE* file = OpenFilePath(StringA(path), "rb");
    if (!file) return 0;
    const size_t n = count > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(count);
    const size_t read = std::fread(buffer, 1, n, file);
    std::fclose(file);
    return read;
}

u64 FileSizeOf(const char* path) {
    if (!path) return 0;
    std::FILE* file = OpenFilePath(StringA(path), "rb");
    if (!file) return 0;
    i64 size = 0;
    if (FileSeek64(file, 0, SEEK_END)) size = FileTell64(file);
    std::fclose(file);
    return size < 0 ? 0 : static_cast<u64>(size);
}

u64 FileTell(std::FILE* file) { return static_cast<u64>(FileTell64(file)); }

u32 GetProcessorCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}

u32 GetOsMajorVersion() {
    u32 major = 0;
    u32 minor = 0;
    return GetOsVersion(major, minor) ? major : 0xFFFFFFFFu;
}

void GetBuildDescription(StringA& out) {
    out.Assign("Unicode");
#if defined(__x86_64__) || defined(_M_X64)
    out.Append(", x64");
#elif defined(__i386__) || defined(_M_IX86)
    out.Append(", x86");
#elif defined(__aarch64__)
    out.Append(", arm64");
#endif
#if defined(__clang__)
    out.AppendFormat(", Clang %.ld", static_cast<i32>(__clang_major__));
    out.AppendFormat(".%.1ld", static_cast<i32>(__clang_minor__));
    out.AppendFormat(".%.1ld", static_cast<i32>(__clang_patchlevel__));
#elif defined(__GNUC__)
    out.AppendFormat(", GCC %.ld", static_cast<i32>(__GNUC__));
    out.AppendFormat(".%.1ld", static_cast<i32>(__GNUC_MINOR__));
    out.AppendFormat(".%.1ld", static_cast<i32>(__GNUC_PATCHLEVEL__));
#endif
}

u32 NextPowerOfTwo(u32 v) {
    v -= 1;
    v |= v >> 1;
    v |= v >> 2;
    v |= v >> 4;
    v |= v >> 8;
    v |= v >> 16;
    return v + 1;
}
