#pragma once

// The process entry: the start-up sequence, the event loop and the tear-down.
// Answers the exit code.
int runLumbra(int argc, char **argv);
