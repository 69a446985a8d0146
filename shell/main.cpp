// vale: the entry point.
#include "shell/program.h"

int main(int, char**) { return RunProgram(); }
