// vale-fingerprint: prints the fingerprint lines (tools/fingerprint.h) on stdout.
//
// usage: vale-fingerprint [SECONDS]   (the mixed song is hashed for that long, default the whole run)
#include <cstdio>
#include <cstdlib>

#include "tools/fingerprint.h"

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0;
  return WriteFingerprint(seconds, [](const char* line) { std::printf("%s\n", line); }) ? 0 : 1;
}
