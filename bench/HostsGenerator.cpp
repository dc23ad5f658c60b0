#include "HostsGenerator.h"

#include <cstdint>
#include <memory>

namespace
{
// A small fixed-seed generator (xorshift64*), so that a file of a given
// size is the same on every machine and with every compiler.
class CRandom
{
public:
    explicit CRandom(uint64_t nSeed) : m_nState(nSeed) {}

    uint32_t Next()
    {
        m_nState ^= m_nState >> 12;
        m_nState ^= m_nState << 25;
        m_nState ^= m_nState >> 27;
        return static_cast<uint32_t>((m_nState * 0x2545F4914F6CDD1DULL) >> 32);
    }
    // 0 .. n-1
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
    int Between(int nLow, int nHigh) { return nLow + Below(nHigh - nLow + 1); }

private:
    uint64_t m_nState;
};

const char* const kTopLevel[] = {"com", "com", "com", "com", "net", "net", "org", "info", "io",  "cn",
                                 "ru",  "de",  "xyz", "top", "biz", "co",  "pw",  "co.uk", "com.br", "online"};
const char* const kPrefixes[] = {"www", "ads", "ad", "track", "pixel", "stats", "metrics", "cdn", "static",
                                 "click", "log", "api", "events", "sync", "img", "m", "beacon", "analytics"};
const char* const kSyllables[] = {"ba", "co", "de", "fi", "go", "hu", "ja", "ki", "lo", "ma", "ne", "po",
                                  "qu", "ra", "si", "ta", "vu", "wi", "xo", "ze", "an", "er", "in", "on",
                                  "st", "tr", "ck", "ly", "ex", "ad", "net", "mob", "web", "tag", "srv"};
const char* const kNotes[] = {"tracker", "ads", "telemetry", "malware", "phishing", "crypto miner", "adult"};

template <size_t N>
const char* Pick(CRandom& random, const char* const (&items)[N])
{
    return items[random.Below(static_cast<int>(N))];
}

// One DNS label of about nLength characters: syllables, sometimes digits or
// a hyphen, as real ad and tracker names are.
void AppendLabel(std::string& out, CRandom& random, int nLength)
{
    size_t nStart = out.size();
    while (out.size() - nStart < static_cast<size_t>(nLength))
    {
        int nKind = random.Below(20);
        if (nKind == 0)
            out += static_cast<char>('0' + random.Below(10));
        else if (nKind == 1 && out.size() > nStart && out.back() != '-')
            out += '-';
        else
            out += Pick(random, kSyllables);
    }
    if (out.back() == '-')
        out.back() = 'x';
}

// A host name of 6 to about 70 characters, most between 15 and 35.
std::string HostName(CRandom& random)
{
    std::string host;
    int nSubdomains = random.Below(100);
    nSubdomains = nSubdomains < 35 ? 0 : nSubdomains < 80 ? 1 : nSubdomains < 94 ? 2 : 3;
    for (int n = 0; n < nSubdomains; ++n)
    {
        if (random.Below(3) == 0)
            host += Pick(random, kPrefixes);
        else
            AppendLabel(host, random, random.Between(2, 12));
        if (random.Below(8) == 0)
            host += static_cast<char>('0' + random.Below(10));
        host += '.';
    }
    AppendLabel(host, random, random.Below(10) == 0 ? random.Between(15, 30) : random.Between(3, 14));
    host += '.';
    host += Pick(random, kTopLevel);
    return host;
}

std::string Address(CRandom& random)
{
    return random.Below(100) < 85 ? "0.0.0.0" : "127.0.0.1";
}

// Several host names on one entry (valid in a hosts file) or a long note:
// 600 to 2,000 characters, beyond a 511-character line buffer.
std::string LongLine(CRandom& random)
{
    size_t nLength = static_cast<size_t>(random.Between(600, 2000));
    std::string line = random.Below(2) == 0 ? Address(random) : "# " + Address(random);
    while (line.size() < nLength)
        line += ' ' + HostName(random);
    return line;
}

std::string EntryLine(CRandom& random)
{
    int nKind = random.Below(1000);
    std::string entry = Address(random) + (random.Below(50) == 0 ? "\t" : " ") + HostName(random);
    if (nKind < 100)  // commented out: about a tenth
    {
        switch (random.Below(3))
        {
        case 0:
            return "# " + entry;
        case 1:
            return "#" + entry;
        default:
            return "  # " + entry;
        }
    }
    if (nKind < 125)  // indented
        return (random.Below(2) == 0 ? "  " : "\t") + entry;
    if (nKind < 145)  // with a trailing note
        return entry + " # " + Pick(random, kNotes);
    if (nKind < 150)  // trailing white space
        return entry + "  ";
    return entry;
}

void Header(std::string& out, int nLines)
{
    out += "# Tarnwick benchmark hosts file: " + std::to_string(nLines) + " lines, generated\r\n";
    out += "# ===============================================================\r\n";
    out += "# Title: Combined ad, tracker and malware blocklist\r\n";
    out += "# This hosts file is a merged collection of hosts from reputable sources,\r\n";
    out += "# with a dash of crowd sourcing via GitHub\r\n";
    out += "#\r\n";
    out += "# Number of unique domains: " + std::to_string(nLines - nLines / 10) + "\r\n";
    out += "#\r\n";
    out += "# Fetch the latest version of this file from your list provider\r\n";
    out += "# ===============================================================\r\n";
    out += "\r\n";
    out += "127.0.0.1 localhost\r\n";
    out += "127.0.0.1 localhost.localdomain\r\n";
    out += "127.0.0.1 local\r\n";
    out += "255.255.255.255 broadcasthost\r\n";
    out += "::1 localhost\r\n";
    out += "::1 ip6-localhost\r\n";
    out += "fe80::1%lo0 localhost\r\n";
    out += "0.0.0.0 0.0.0.0\r\n";
    out += "\r\n";
    out += "# Custom host records are listed here.\r\n";
    out += "\r\n";
    out += "# End of custom host records.\r\n";
    out += "# Start of the blocklist\r\n";
}

int CountLines(const std::string& text)
{
    int nLines = 0;
    for (char ch : text)
        if (ch == '\n')
            ++nLines;
    return nLines;
}
}

bool WriteBenchHostsFile(std::FILE* pFile, int nLines)
{
    CRandom random(0x7A3B1C2D4E5F6071ULL);
    std::string block;
    block.reserve(1 << 17);
    int nWritten = 0;
    auto flush = [&]() {
        bool bOk = std::fwrite(block.data(), 1, block.size(), pFile) == block.size();
        block.clear();
        return bOk;
    };
    auto line = [&](const std::string& text) {
        block += text;
        block += "\r\n";
        ++nWritten;
    };

    std::string header;
    Header(header, nLines);
    if (CountLines(header) <= nLines)
    {
        block += header;
        nWritten = CountLines(header);
    }

    for (int nBody = 0; nWritten < nLines; ++nBody)
    {
        if (nBody % 2000 == 1999)
        {
            line("# ---------------------------------------------------------------");
        }
        else if (nBody % 2500 == 1249)
        {
            line(LongLine(random));
        }
        else
        {
            int nKind = random.Below(1000);
            if (nKind < 8)
                line("#");
            else if (nKind < 10)
                line("# \t ");
            else
                line(EntryLine(random));
        }
        if (block.size() >= (1 << 16) && !flush())
            return false;
    }
    return flush();
}

bool WriteBenchHostsFile(const char* pszPath, int nLines)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(pszPath, "wb"), std::fclose);
    if (!file)
        return false;
    bool bOk = WriteBenchHostsFile(file.get(), nLines);
    return std::fclose(file.release()) == 0 && bOk;
}
