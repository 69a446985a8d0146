// tools/fingerprint.h: the lines of vale-fingerprint (hashes of the generated textures, the
// synthesised samples and the mixed song), each handed to a sink without its line end.
#pragma once

using FingerprintSink = void (*)(const char* line);

// Hashes the song for `seconds` (0: the whole run). False when something could not be made
// (with the reason on stderr).
bool WriteFingerprint(double seconds, FingerprintSink sink);
