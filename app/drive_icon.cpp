#include "app/drive_icon.h"

#include "emu/drive_image.h"

int DriveIconIndex(const DriveImage& drive, bool running)
{
    int index;
    if (!drive.HasFile())
        index = drive.GetLatch() ? 2 : 3;
    else if (!drive.GetLatch())
        index = 1;
    else if (drive.IsAccepted() || !running)
        index = 0;
    else
        index = drive.IsExamined() ? 8 : 9;
    if (drive.GetIndicatorState() >= 0)
        return index;
    // The lit variants: 4..7 for 0..3, and 10, 11 for 8, 9 (adding 4 there would leave
    // the twelve pictures).
    return index < 4 ? index + 4 : index + 2;
}
