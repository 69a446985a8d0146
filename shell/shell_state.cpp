#include "shell/shell_state.h"

ShellState shellState;
