#include "platform/HiddenInput.h"

#include <termios.h>
#include <unistd.h>

namespace platform {

HiddenInput::HiddenInput()
{
    termios settings{};
    if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &settings) != 0)
        return;
    savedFlags = settings.c_lflag;
    settings.c_lflag &= ~tcflag_t(ECHO);
    // The line end is still shown, so that the next prompt starts on a line of its own.
    settings.c_lflag |= ECHONL;
    terminal = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &settings) == 0;
}

HiddenInput::~HiddenInput()
{
    termios settings{};
    if (!terminal || ::tcgetattr(STDIN_FILENO, &settings) != 0)
        return;
    settings.c_lflag = tcflag_t(savedFlags);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &settings);
}

} // namespace platform
