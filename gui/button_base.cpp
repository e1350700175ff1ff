#include "gui/button_base.h"

#include "base/image_base.h"

ButtonBase::~ButtonBase()
{
    delete image;
}

void ButtonBase::SetImage(ImageBase* img)
{
    if (img == image)
        return;
    delete image;
    image = img;
}

void ButtonBase::SetHotTrack(bool on)
{
    if (hotTrack == on)
        return;
    hotTrack = on;
    Redraw();
}

void ButtonBase::SetChecked(bool on)
{
    if (checked == on)
        return;
    checked = on;
    Redraw();
}

void ButtonBase::SetCommand(i32 c)
{
    if (command == c)
        return;
    command = c;
    Redraw();
}
