#pragma once

namespace platform {

// While it lives, what is typed on the terminal of standard input is not shown (a PIN read
// by a maintenance switch); input from a pipe or a file is read as it is. The terminal is
// set back as it was when it ends. (On Windows: SetConsoleMode without ENABLE_ECHO_INPUT.)
class HiddenInput
{
public:
    HiddenInput();
    ~HiddenInput();
    HiddenInput(const HiddenInput &) = delete;
    HiddenInput &operator=(const HiddenInput &) = delete;

    // Whether standard input is a terminal, whose echo is now off.
    bool isTerminal() const { return terminal; }

private:
    bool terminal = false;
    unsigned long savedFlags = 0;
};

} // namespace platform
