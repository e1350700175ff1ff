#include "app/about_box.h"

#include "app/break_hold.h"
#include "app/shell_parts.h"
#include "base/string_a.h"
#include "core/emu_core.h"
#include "video/display_surface.h"

i32 AboutTitleFontSize(i32 length)
{
    if (length >= 26)
        return 14;
    if (length >= 24)
        return 15;
    if (length >= 22)
        return 16;
    if (length >= 18)
        return 17;
    return 19;
}

StringW AboutVersionText(const char* buildDescription)
{
    StringA text("Version 30.04.2013");
    if (buildDescription && *buildDescription)
        text.AppendFormat(" (%s)", buildDescription);
    return StringW(text);
}

void ShowAboutBox(ShellPartsInterface& shell)
{
    EmuCore* core = shell.GetCore();
    BreakHold hold(core);
    shell.RunAboutDialog();
    hold.Release();
    if (!core)
        return;
    LockedDisplaySurface* display =
        core->IsConsoleMode() && core->GetConsoleSurface() ? core->GetConsoleSurface() : core->GetRenderer();
    if (display)
        display->EndFrame(false);
}
