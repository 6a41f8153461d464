// The end of a failed "load(name) ... " log line.
#pragma once

// Writes "failed.\n", or "failed: <reason>.\n" when the loader said why it refused
// the file.
void LogLoadFailed();
