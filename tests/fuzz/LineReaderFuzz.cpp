// Any bytes as a hosts file: the reader never overruns, every line it
// delivers obeys the reading rules, the lines match a plain model of the
// C runtime's text-mode fscanf("%[^\n]\n") loop, writing them back and
// reading again gives the same lines, and a file read in blocks gives what
// the same bytes give in memory.
#include "FuzzCheck.h"
#include "hosts/lines/LineScan.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

Lines Scan(const std::string& bytes)
{
    Lines lines;
    ScanHostsText(bytes.data(), bytes.size(), [&](const CString& text) { lines.push_back(Bytes(text)); });
    return lines;
}

// The reading rules written out the slow, obvious way.
Lines Model(const std::string& bytes)
{
    // A UTF-8 byte-order mark at the start is no part of the first line.
    // Text mode: Ctrl-Z ends the input; CR LF becomes LF; any other CR stays.
    std::string text;
    for (size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; i < bytes.size(); ++i)
    {
        if (bytes[i] == '\x1A')
            break;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        text += bytes[i];
    }

    Lines lines;
    size_t i = 0;
    // A file that starts with a line feed skips its leading blank lines
    // like any others.
    if (!text.empty() && text[0] == '\n')
        while (i < text.size() && IsWhite(text[i]))
            ++i;
    while (i < text.size())
    {
        size_t end = text.find('\n', i);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(i, end - i);
        lines.push_back(line.substr(0, line.find('\0')));  // a C string ends at NUL
        i = end;
        while (i < text.size() && IsWhite(text[i]))  // the "\n" of the format
            ++i;
    }
    return lines;
}

std::string Write(const Lines& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

bool IsLineEndByte(char ch)
{
    return ch == '\r' || ch == '\n' || ch == '\x1A';
}

bool AtBlockEnd(const std::string& input, size_t nHalf)
{
    return (nHalf > 0 && IsLineEndByte(input[nHalf - 1])) || (nHalf < input.size() && IsLineEndByte(input[nHalf]));
}

uint32_t Hash(const std::string& bytes)
{
    uint32_t nHash = 2166136261u;
    for (char ch : bytes)
        nHash = (nHash ^ static_cast<unsigned char>(ch)) * 16777619u;
    return nHash;
}

// The reader opens files by path. The temporary file is unlinked as soon as
// it is made and reached through /proc/self/fd, so that nothing is left
// behind however the fuzzer ends.
int g_nTempFile = -1;
std::string g_tempPath;

Lines ReadFile(const std::string& bytes)
{
    if (ftruncate(g_nTempFile, 0) != 0)
        LawBroken("the temporary file can be emptied", g_tempPath);
    size_t nDone = 0;
    while (nDone < bytes.size())
    {
        ssize_t nWritten = pwrite(g_nTempFile, bytes.data() + nDone, bytes.size() - nDone, static_cast<off_t>(nDone));
        if (nWritten <= 0)
            LawBroken("the temporary file can be written", g_tempPath);
        nDone += static_cast<size_t>(nWritten);
    }
    Lines lines;
    ReadHostsLines(g_tempPath.c_str(), [&](const CString& text) { lines.push_back(Bytes(text)); });
    return lines;
}
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* pszDir = std::getenv("TMPDIR");
    std::string pattern = std::string(pszDir && *pszDir ? pszDir : "/tmp") + "/tw-fuzz-reader-XXXXXX";
    g_nTempFile = mkstemp(&pattern[0]);
    if (g_nTempFile < 0)
        LawBroken("a temporary file can be made", pattern);
    unlink(pattern.c_str());
    g_tempPath = "/proc/self/fd/" + std::to_string(g_nTempFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string input(reinterpret_cast<const char*>(pData), nSize);
    const Lines lines = Scan(input);

    for (size_t n = 0; n < lines.size(); ++n)
    {
        const std::string& line = lines[n];
        std::string where = "line " + std::to_string(n) + " '" + Shown(line) + "' of input '" + Shown(input) + "'";
        FUZZ_CHECK(line.find('\n') == std::string::npos, "a line holds no line feed", where);
        FUZZ_CHECK(line.find('\0') == std::string::npos, "a line holds no NUL", where);
        FUZZ_CHECK(line.find('\x1A') == std::string::npos, "a line holds no Ctrl-Z", where);
        if (n > 0)
        {
            // Only a line that starts with NUL can come out empty after the first.
            FUZZ_CHECK(line.empty() || !IsWhite(line[0]), "lines after the first start with no white space",
                       where);
        }
        FUZZ_CHECK(line.size() <= input.size(), "a line is no longer than the input", where);
    }

    const Lines model = Model(input);
    FUZZ_CHECK(lines == model, "the lines are those of the text-mode fscanf loop",
               "input '" + Shown(input) + "'\ngot " + Shown(lines) + "\nexpected " + Shown(model));

    // Nothing after a Ctrl-Z counts.
    size_t nCtrlZ = input.find('\x1A');
    if (nCtrlZ != std::string::npos)
        FUZZ_CHECK(Scan(input.substr(0, nCtrlZ)) == lines, "a Ctrl-Z ends the input", "input '" + Shown(input) + "'");

    // Writing the lines and reading them again loses nothing but empty lines
    // (which only a line starting with NUL gives): an empty text is written
    // as a bare CR LF, which reading skips like any blank line.
    const std::string written = Write(lines);
    size_t nExpectedSize = 0;
    Lines nonEmpty;
    for (const std::string& line : lines)
    {
        nExpectedSize += line.size() + 2;
        if (!line.empty())
            nonEmpty.push_back(line);
    }
    FUZZ_CHECK(written.size() == nExpectedSize, "each line is written as its text and CR LF",
               "input '" + Shown(input) + "'");
    // (A first line that itself starts like a byte-order mark loses it when
    // read again: the writer adds no mark of its own before it.)
    if (nonEmpty.empty() || nonEmpty[0].compare(0, 3, "\xEF\xBB\xBF") != 0)
    {
        const Lines back = Scan(written);
        FUZZ_CHECK(back == nonEmpty, "written lines read back the same",
                   "input '" + Shown(input) + "'\nwritten '" + Shown(written) + "'\nread back " + Shown(back) +
                       "\nexpected " + Shown(nonEmpty));
        FUZZ_CHECK(Write(back) == Write(nonEmpty) && Scan(Write(back)) == back,
                   "a second round trip changes nothing", "input '" + Shown(input) + "'");
    }

    // From a file, read in 64 KiB blocks, with the block end in the middle
    // of the input: after a first line that fills the rest of the block.
    // Every byte of that costs time, so this is done for the inputs with a
    // line end or Ctrl-Z at the block end and for one in sixteen others
    // (chosen by their content, so that a rerun does the same).
    size_t nHalf = input.size() / 2 < 60000 ? input.size() / 2 : 60000;
    if (!AtBlockEnd(input, nHalf) && (Hash(input) & 15) != 0)
        return 0;
    std::string file(65536 - 1 - nHalf, 'p');
    file += '\n';
    file += input;
    const Lines fromFile = ReadFile(file);
    const Lines inMemory = Scan(file);
    FUZZ_CHECK(fromFile == inMemory, "a file read in blocks gives the lines of the same bytes in memory",
               "input '" + Shown(input) + "'\nfrom the file " + Shown(fromFile) + "\nin memory " + Shown(inMemory));
    return 0;
}
