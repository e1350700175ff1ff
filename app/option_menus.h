// The emulation core's option trees as menu entries.
//
// A core holds six option trees (its machine's devices and its own settings fill them);
// each goes to the end of one submenu of the menu bar, after a separator:
//   id 1 Computer, 4 Input, 6 Debug, 2 Video, 3 Sound, 8 Settings (filled in this order).
// An entry made for an option node carries the node in `tag` (so RemoveByTag(nullptr,
// false) strips exactly these entries) and the option handler. Entries point into the
// core's trees: they are removed before the trees change or the core goes.
#pragma once

#include "gui/menu.h"

class EmuCore;
class OptionItem;

// The submenus the six trees go to, in filling order.
struct OptionMenuTargets {
    PopupMenu* computer = nullptr;
    PopupMenu* input = nullptr;
    PopupMenu* debug = nullptr;
    PopupMenu* video = nullptr;
    PopupMenu* sound = nullptr;
    PopupMenu* settings = nullptr;
};

// Appends the children of node to menu, recursively: a node with children becomes a
// submenu, a separator a separator (never two in a row, none at the end), anything
// else an entry. False for a null node or menu.
bool AddOptionItems(OptionItem* node, PopupMenu* menu, MenuHandler handler);
// Appends every non-empty tree of core after a separator; a submenu whose tree is empty
// loses a trailing separator. False without a core (nothing changes) or when an entry
// could not be added.
bool AddCoreOptionMenus(EmuCore* core, const OptionMenuTargets& targets, MenuHandler handler);
// An option entry's event (index -1 only, a core must exist): kind 1 takes the option's
// enabled and checked states, kind 0 runs the option, renames the entry and its option
// submenus above it to their options' current names and refreshes the whole menu.
bool OptionEntryEvent(MenuItem* entry, int index, int kind, bool haveCore);
