// Where the program lives and where it keeps its per-user data.
//
// The values are worked out once per run from the program's own file path and
// the user's application-data folder. Data root: the application-data folder
// when the program lies under a "Program Files" folder (the second component
// of its path, upper-cased and cut to 13 characters, reads PROGRAM FILES),
// else the program's own folder, so a program unpacked anywhere else keeps its
// data beside itself. Every folder value ends with the separator.
#pragma once

#include "base/string_w.h"

// Computes the values on first use; later calls return at once. The accessors
// below call it themselves.
void BuildProgramFolders();

// Computes the values from a given program file path and application-data
// folder, as BuildProgramFolders does from the running program's; the values
// count as built afterwards. For tools and tests that place the program.
void BuildProgramFoldersFrom(const PathString& programPath, const PathString& appDataFolder);

const PathString& PathSeparator();     // "\" or "/", as the program path uses
const PathString& ProgramFolder();     // C:\Emu\ for C:\Emu\emu.exe
const PathString& ProgramName();       // emu
const PathString& ProgramExtension();  // exe (no dot); empty without one
const PathString& AppDataFolder();     // the user's local application data; may be empty
const PathString& DataRoot();          // AppDataFolder() or ProgramFolder()

// The per-user data folder `name` (the program name when empty) under the data
// root, made when create is set. ProgramFolder() itself when the data root is
// the program folder, or when the folder cannot be made.
PathString MakeDataFolder(const StringW& name, bool create);
// The same under AppDataFolder().
PathString MakeAppDataFolder(const StringW& name, bool create);

// Replaces ProgramFolder() (made when create is set) and, when name is not
// empty, ProgramName(). The data root stays as it was.
bool SetProgramFolder(const PathString& folder, const PathString& name, bool create);
