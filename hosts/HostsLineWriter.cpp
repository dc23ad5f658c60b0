#include "hosts/HostsLineWriter.h"

void AppendHostsLine(std::string& out, const CString& text)
{
    out.append(text.c_str(), static_cast<size_t>(text.GetLength()));
    out.append(kHostsLineEnd, kHostsLineEndLength);
}
