// Deterministic, realistic hosts files for the benchmark: a header of
// comments, blank lines and localhost entries, then, under the heading
// "# Start of the blocklist" and with no blank line (so one section holds
// nearly every line), blocklist-style entries ("0.0.0.0 host", "127.0.0.1
// host") with host names of varied length, about a tenth of them commented
// out, some indented, some with a trailing note, now and then an empty or
// all-punctuation comment and a line longer than 511 characters. The same
// count always gives the same bytes.
#pragma once

#include <cstdio>
#include <string>

// Writes exactly nLines lines, each ended with CR LF. False when writing
// failed.
bool WriteBenchHostsFile(std::FILE* pFile, int nLines);

// The same, to a file at pszPath (created or truncated).
bool WriteBenchHostsFile(const char* pszPath, int nLines);
