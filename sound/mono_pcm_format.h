// The stream format both Windows outputs play: mono PCM of width bits a sample at the
// ring's rate. Windows only.
#pragma once

#ifdef _WIN32

#include <windows.h>
#include <mmsystem.h>

#include "base/types.h"

// The format for a ring of count buffers over totalSamples a second; false, leaving
// *format alone, unless every buffer holds the same whole number of samples.
inline bool MakeMonoPcmFormat(i32 totalSamples, i32 width, i32 count, WAVEFORMATEX* format)
{
    if (totalSamples <= 0 || width <= 0 || count <= 0 || totalSamples % count != 0)
        return false;
    *format = WAVEFORMATEX{};
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = 1;
    format->nSamplesPerSec = static_cast<DWORD>(totalSamples);
    format->nAvgBytesPerSec = static_cast<DWORD>(width / 8 * totalSamples);
    format->nBlockAlign = static_cast<WORD>(width / 8);
    format->wBitsPerSample = static_cast<WORD>(width);
    return true;
}

#endif // _WIN32
