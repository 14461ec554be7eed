#include "platform/HiddenInput.h"

#include <windows.h>

namespace platform {

HiddenInput::HiddenInput()
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    // GetConsoleMode fails for a pipe or a file: they are read as they are.
    if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode))
        return;
    savedFlags = mode;
    terminal = SetConsoleMode(input, mode & ~DWORD(ENABLE_ECHO_INPUT)) != 0;
}

HiddenInput::~HiddenInput()
{
    if (terminal)
        SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), DWORD(savedFlags));
}

} // namespace platform
