#include "gui/message_box_answer.h"

namespace {
// The user32 values, kept here so that the rules build without windows.h.
constexpr u32 kYesNo = 0x04;             // MB_YESNO
constexpr u32 kIconQuestion = 0x20;      // MB_ICONQUESTION
constexpr u32 kIconInformation = 0x40;   // MB_ICONINFORMATION
constexpr u32 kOk = 0x00;                // MB_OK
constexpr u32 kIconError = 0x10;         // MB_ICONERROR
constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;
}  // namespace

u32 MessageBoxStyleFor(int kind)
{
    switch (kind) {
        case 1: return kYesNo | kIconQuestion;
        case 2: return kYesNo | kIconInformation;
        case kMessageBoxError: return kOk | kIconError;
        default: return kYesNo;
    }
}

int MessageBoxResultFor(int systemAnswer)
{
    switch (systemAnswer) {
        case kIdOk:
        case kIdYes: return 1;
        case kIdCancel: return 2;
        case kIdNo: return 3;
        default: return 0;
    }
}
