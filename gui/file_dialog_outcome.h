// How a run of the common file dialog ended, from what the system reported:
// GetOpenFileNameW's (or GetSaveFileNameW's) answer and CommDlgExtendedError's
// code. A zero answer is the user's cancel only when the extended error is 0;
// any code (a chosen path longer than the buffer among them, FNERR_BUFFERTOOSMALL)
// is a failure, as is a hook that could not attach the dialog object.
#pragma once

#include "base/types.h"

enum class FileDialogOutcome { kChosen, kCancelled, kFailed };

constexpr u32 kFileNameBufferTooSmall = 0x3003;  // FNERR_BUFFERTOOSMALL

FileDialogOutcome ClassifyFileDialogEnd(bool systemAnswer, u32 extendedError, bool hookFailed);
