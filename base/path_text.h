// Building and taking apart path text.
//
// Both "\" and "/" count as separators when a path is taken apart; new paths
// are joined with the program's own separator (PathSeparator()). Every folder
// value of the foundation ends with its separator, so JoinPath puts none after
// its base.
#pragma once

#include "base/string_a.h"
#include "base/string_w.h"

// base + (folder + separator when folder is not empty) + name
//      + ("." + extension when extension is not empty).
PathString JoinPath(const StringW& base, const StringW& folder, const StringW& name,
                    const StringW& extension);

// Index of the last "\" or "/", -1 when there is none.
int LastSeparator(const StringW& path);

// The text after the last separator; the whole path when it has none.
PathString GetFileNamePart(const StringW& path);

// Component index (0 = before the first separator, the last runs to the end);
// empty when out of range or when the component itself is empty.
PathString PathComponent(const StringW& path, int index);

// One folder up, in place: C:\a\b.txt -> C:\a\, C:\a\b\ -> C:\a\, C:\ -> "",
// C:\a\..\ -> C:\a\..\..\. False when the path holds no separator.
bool ParentFolder(PathString& path);

// A file or folder name for a console line, a log line or a notice: every character up
// to U+00FF as its byte, any other as "?". The low byte of such a character would end
// the text at it (U+4E00) or stand for another (U+0141 as "A"); narrow text stays as it is.
StringA MessageText(const StringBase& text);
