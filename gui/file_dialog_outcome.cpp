#include "gui/file_dialog_outcome.h"

FileDialogOutcome ClassifyFileDialogEnd(bool systemAnswer, u32 extendedError, bool hookFailed)
{
    if (hookFailed || extendedError != 0)
        return FileDialogOutcome::kFailed;
    return systemAnswer ? FileDialogOutcome::kChosen : FileDialogOutcome::kCancelled;
}
