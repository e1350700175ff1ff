// Free functions over the platform and the C runtime: the high-resolution
// counter, sleeping, memory helpers, whole-file reads, processor count,
// operating-system version and the build description.
#pragma once

#include <cstdio>

#include "base/types.h"

class StringA;

bool ReturnTrue();

// A monotonic counter and its ticks per second; both always succeed.
bool PerfFrequency(u64& frequency);
bool PerfCounter(u64& counter);
void SleepMs(u32 milliseconds);

void ZeroMem(void* p, u64 count);
void FillMem(void* p, u64 count, u8 value);
// The ranges must not overlap unless they are the same (then nothing moves).
void CopyMem(void* dest, const void* src, u64 count);

// Reads at most count bytes of the file; the number read, 0 on any failure.
u64 ReadFileBytes(const char* path, void* buffer, u64 count);
// The file's length, 0 when missing or unreadable.
u64 FileSizeOf(const char* path);
// The file's position; all ones on failure.
u64 FileTell(std::FILE* file);

// At least 1.
u32 GetProcessorCount();
// 2 for a Windows NT platform, 1 for Windows 9x, 0 for anything else.
u32 GetOsPlatform();
bool GetOsVersion(u32& major, u32& minor);
// 0xFFFFFFFF when the version is unknown.
u32 GetOsMajorVersion();
// "Unicode, x86, GCC 12.2.0" and the like.
void GetBuildDescription(StringA& out);

// Smallest power of two not below v; 0 for 0 and above 2^31.
u32 NextPowerOfTwo(u32 v);
