// The message loop's rule, apart from the Win32 calls: fetch answers 1 for a
// message (then dispatched), 0 for the quit message and -1 for an error. The
// loop ends on the quit message with its exit code, and on an error with -1
// (a failing GetMessageW would fail again at once, so looping on would spin).
#pragma once

template <class Fetch, class Dispatch, class QuitCode>
int RunMessageLoop(Fetch fetch, Dispatch dispatch, QuitCode quitCode)
{
    for (;;) {
        const int result = fetch();
        if (result == 0)
            return quitCode();
        if (result < 0)
            return -1;
        dispatch();
    }
}
