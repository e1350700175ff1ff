// The Computer menu's machine choice: an entry per machine prototype (user value = its
// index). Choosing another machine while the emulation does not run remembers it as the
// default machine, strips the option entries of the old machine, gives the core a copy
// of the new one (or creates the core when there is none) and builds the option menus
// and the Drives menu again. A running machine is never replaced from the menu. Settings
// of the old machine that could not be written are told in an error box.
// (Refreshing the entries is MenuCommand::kSelectComputer's.)
#pragma once

class MenuEntryInterface;
class ShellPartsInterface;

// Answers the handler's result: true when done or nothing to do, false for an index
// outside the list or while the emulation runs.
bool ExecuteSelectComputer(ShellPartsInterface& shell, MenuEntryInterface& entry);
