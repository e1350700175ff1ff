// The message box's plain rules: the style for a kind of box and the dialog
// result for the system's answer.
//
//   kind 1 question icon, 2 information icon, kMessageBoxError (4) error icon with
//   an OK button alone; anything else none. All but kind 4 ask Yes/No.
//   IDOK (1), IDYES (6) -> 1 accepted;  IDCANCEL (2) -> 2 cancelled;
//   IDNO (7) -> 3;  IDABORT, IDRETRY, IDIGNORE, other answers and a failed
//   call (0) -> 0.
#pragma once

#include "base/types.h"

inline constexpr int kMessageBoxError = 4;

u32 MessageBoxStyleFor(int kind);
int MessageBoxResultFor(int systemAnswer);
