// Writing line texts as a hosts file: each text followed by CR LF, nothing
// before the first line and nothing after the last line end. The file itself
// is written by WriteHostsLines (hosts/HostsFileWriter.h).
#pragma once

#include "framework/CString.h"

#include <string>

// What ends every line written.
const char kHostsLineEnd[] = "\r\n";
const size_t kHostsLineEndLength = sizeof(kHostsLineEnd) - 1;

// Appends the text and "\r\n".
void AppendHostsLine(std::string& out, const CString& text);
