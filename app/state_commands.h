// Save State and Load State of the Emulation menu (also reached by F11 and F12).
//
// Both work on the core's one default state file. Save asks "SAVE emulation state?"
// and needs an active run loop; Load asks "LOAD emulation state!" while a run is
// started and loads without asking while stopped. A running emulation is held in break
// around the question and the request and runs on afterwards; one that was in break
// stays so. After a load every drive icon shows the drive's state again (the state may
// hold other images) and the screen is drawn in full. The core reports the outcome on
// its console; a state file that could not be written is also told in an error box
// (what, where and why), while the emulation is still held.
#pragma once

#include "base/types.h"

class ShellInterface;
class ShellPartsInterface;

// Kind 1: whether the entry is offered (Save: a core with an active loop; Load: a core).
bool SaveStateOffered(ShellInterface& shell);
bool LoadStateOffered(ShellInterface& shell);
// Kind 0: false without a core (Save: also without an active loop), else true.
bool ExecuteSaveState(ShellPartsInterface& shell);
bool ExecuteLoadState(ShellPartsInterface& shell);
