// Reading a file's lines by its path, for a caller that holds no copy of the
// file. A file of its own: the program reads the hosts file itself
// (CEntryList::Load) and so links none of this.
#include "hosts/lines/LineScan.h"

#include <cstdio>
#include <memory>
#include <string>

void ReadHostsLines(const char* pszPath, const std::function<void(const CString&)>& sink)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(pszPath, "rb"), std::fclose);
    if (!file)
        return;
    std::string bytes;
    char buffer[64 * 1024];
    size_t nRead;
    while ((nRead = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0)
        bytes.append(buffer, nRead);
    if (std::ferror(file.get()))
        return;
    file.reset();
    ScanHostsText(bytes.data(), bytes.size(), sink);
}
