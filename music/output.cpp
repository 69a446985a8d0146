#include "music/output.h"

// Until the replay engine exists there is never a player: the position stays at its start.
int GetAudibleOrder(const ModulePlayer*) { return 0; }
int GetAudibleRow(const ModulePlayer*) { return 0; }
