#include "gui/dialog_template.h"

namespace {

void Put16(u8* p, u32 v)
{
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
}

}  // namespace

DialogTemplateBytes BuildDialogTemplate(int x, int y, int width, int height)
{
    DialogTemplateBytes t;
    u8* p = t.bytes.data();
    Put16(p + 0, kDialogTemplateStyle);
    Put16(p + 2, kDialogTemplateStyle >> 16);
    Put16(p + 10, static_cast<u32>(x));
    Put16(p + 12, static_cast<u32>(y));
    Put16(p + 14, static_cast<u32>(width));
    Put16(p + 16, static_cast<u32>(height));
    return t;
}

void CenterOnOwner(int ownerX, int ownerY, int ownerWidth, int ownerHeight, int width, int height, int* x,
                   int* y)
{
    *x = ownerX + (ownerWidth - width) / 2;
    *y = ownerY + (ownerHeight - height) / 2;
}
