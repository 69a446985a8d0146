// vale.exe: the entry point of the Windows program. The show command reaches the render window
// through the start-up information the system keeps for the process.
#include <windows.h>

#include "shell/program.h"

// Entered with the system's 4-byte stack alignment; the code below wants 16.
__attribute__((force_align_arg_pointer)) int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    return RunProgram();
  } catch (...) {
    return 1;
  }
}
