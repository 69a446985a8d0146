// shell/program.h: the whole run of the program, called by the entry point of each system.
#pragma once

// Returns the exit code: 0 after a normal end (or the chooser closed), 1 when a window or the
// video system could not be had, 2 when there is no display.
int RunProgram();
