// The filter list of the common file dialog, built from the file types a caller
// registered (extension without dot, description).
//
// Consecutive types with the same description (exact comparison) form one
// entry "Description (*.a,*.b)" with the pattern "*.a;*.b". Opening puts an
// "All Supported Files" entry with every extension first; saving lists the
// groups alone. No types, or only the extension "*", give the single entry
// "All Files (*.*)". The text holds label and pattern of each entry as zero-
// terminated strings and ends with a second zero, as GetOpenFileNameW reads it.
#pragma once

#include "base/string_w.h"

class ObjectListBase;

enum FileDialogMode : u32 {
    kFileDialogOpen = 0,
    kFileDialogSave = 1,
};

// descriptions[i] describes extensions[i]; both lists have the same length.
WideStdString BuildFileFilter(ObjectListBase& extensions, ObjectListBase& descriptions, u32 mode);
