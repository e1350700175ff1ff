#include "video/null_display.h"

bool NullDisplay::SetSize(i32, i32, bool)
{
    return false;
}

bool NullDisplay::SetWindow(const WindowHandle*)
{
    return false;
}
