// The About box: the program's title and version line in a small modal dialog
// (about_box_win32.cpp builds it). A running emulation is held in break while it is
// open and runs on afterwards; the screen is redrawn once it closes. It works with or
// without an emulation core.
#pragma once

#include "base/string_w.h"
#include "base/types.h"

class ShellPartsInterface;

// Points of the title font for a title of length characters: longer titles get a
// smaller font so that they fit the dialog.
i32 AboutTitleFontSize(i32 length);
// "Version 30.04.2013", with " (<build description>)" when there is one.
StringW AboutVersionText(const char* buildDescription);
// Holds the emulation in break, runs the dialog, lets the emulation run on and has the
// screen redrawn.
void ShowAboutBox(ShellPartsInterface& shell);

class WindowInterface;

// The dialog itself (Windows): title panel, version panel, OK button; runs modally
// centred on owner and is destroyed when it closes.
void RunAboutDialogBox(WindowInterface* owner, const StringW& title);
