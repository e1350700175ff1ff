// The program entry: the finest multimedia timer resolution for the whole run (the
// emulation paces itself with 1 ms sleeps), then the application object's cycle.
#include <windows.h>

#include <mmsystem.h>
#include <shellapi.h>

#include "app/emulator_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);

    TIMECAPS caps{};
    bool periodSet = false;
    if (timeGetDevCaps(&caps, sizeof(caps)) == MMSYSERR_NOERROR)
        periodSet = timeBeginPeriod(caps.wPeriodMin) == TIMERR_NOERROR;

    int exitCode = -1;
    {
        EmulatorApp app;
        if (app.Init(&exitCode, instance, previousInstance, arguments, showCommand)) {
            exitCode = app.Run();
            app.Exit();
        }
    }
    if (periodSet)
        timeEndPeriod(caps.wPeriodMin);
    return exitCode;
}
