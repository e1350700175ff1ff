// The one call a display surface makes back into the system that uses it.
//
// A renderer resizes its surface on the GUI thread; the system then tells its devices
// (Connect 0x0100). The surface keeps the callback and its user data as plain fields that
// the owner sets: the system installs its own while it holds the surface and clears them
// when it lets the surface go or is destroyed, so no surface calls into a freed system.
#pragma once

struct DisplayChangeLink {
    using Callback = void (*)(void* userData);

    Callback sizeChangedCallback = nullptr;
    void* sizeChangedUserData = nullptr;
};
