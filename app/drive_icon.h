// The picture a drive's indicator shows: index 0..11 into the twelve pictures of its
// drive kind (gui/builtin_icons.h).
//
//   image  latched  taken (or not running)  examined only   index
//   no     no       -                       -               3
//   no     yes      -                       -               2
//   yes    no       -                       -               1
//   yes    yes      yes                     -               0
//   yes    yes      no                      no              9
//   yes    yes      no                      yes             8
//
// A negative indicator phase (the blink, counted by the UI tick) shows the lit variant:
// 0..3 become 4..7, 8 and 9 become 10 and 11.
#pragma once

class DriveImage;

int DriveIconIndex(const DriveImage& drive, bool running);
