// The viewer in the page: the presentation plays straight from its start. Jumps and the held
// picture copy and restore GL state the page's GL layer does not keep (attribute stacks, pixel
// drawing), so the page has no start position, pause or jump keys; Escape still ends the run.
#include "shell/frame.h"
#include "shell/viewer.h"

namespace {
ViewerOptions options;
}  // namespace

void SetViewerOptions(const ViewerOptions& o) { options = o; }
const ViewerOptions& CurrentViewerOptions() { return options; }
bool ViewerStartsElsewhere() { return false; }
int ViewerStep() { return RenderFrame(); }
int ViewerKey(Key) { return 0; }
