#include "hosts/HostsLineReader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace
{
// Turns bytes, fed in pieces of any size, into line texts. Keeps just enough
// state to carry a CR LF pair or a line across the end of a piece.
class CHostsLineScanner
{
public:
    explicit CHostsLineScanner(const std::function<void(const CString&)>& sink) : m_sink(sink) {}

    // False once a Ctrl-Z has ended the input: later bytes are ignored.
    bool Feed(const char* pData, size_t nSize);
    // Delivers what the input ended in the middle of.
    void Finish();

private:
    enum State
    {
        atStart,    // nothing read yet
        inLine,     // collecting a line's text
        skipping    // after a line end: skipping white space
    };

    static bool IsWhiteSpace(unsigned char ch)
    {
        return ch == ' ' || (ch >= '\t' && ch <= '\r');
    }

    // One character of the text-mode stream.
    void Take(unsigned char ch);
    void Deliver();

    const std::function<void(const CString&)>& m_sink;
    State m_state = atStart;
    bool m_bPendingCR = false;  // a CR whose meaning depends on the next byte
    bool m_bEnded = false;
    std::string m_line;
};

void CHostsLineScanner::Take(unsigned char ch)
{
    switch (m_state)
    {
    case atStart:
        if (ch == '\n')
        {
            m_state = skipping;
            break;
        }
        m_state = inLine;
        m_line.push_back(static_cast<char>(ch));
        break;
    case inLine:
        if (ch == '\n')
        {
            Deliver();
            m_state = skipping;
        }
        else
        {
            m_line.push_back(static_cast<char>(ch));
        }
        break;
    case skipping:
        if (!IsWhiteSpace(ch))
        {
            m_state = inLine;
            m_line.push_back(static_cast<char>(ch));
        }
        break;
    }
}

bool CHostsLineScanner::Feed(const char* pData, size_t nSize)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pData);
    const unsigned char* pEnd = p + nSize;
    while (p < pEnd && !m_bEnded)
    {
        if (m_bPendingCR)
        {
            m_bPendingCR = false;
            if (*p == '\n')
            {
                Take('\n');
                ++p;
                continue;
            }
            Take('\r');
        }

        if (m_state == inLine)
        {
            // Fast path: copy the run of ordinary characters in one go.
            const unsigned char* pRun = p;
            while (p < pEnd && *p != '\n' && *p != '\r' && *p != 0x1A)
                ++p;
            m_line.append(reinterpret_cast<const char*>(pRun), static_cast<size_t>(p - pRun));
            if (p == pEnd)
                break;
        }

        unsigned char ch = *p++;
        if (ch == '\r')
            m_bPendingCR = true;
        else if (ch == 0x1A)
            m_bEnded = true;
        else
            Take(ch);
    }
    return !m_bEnded;
}

void CHostsLineScanner::Finish()
{
    if (m_bPendingCR)
    {
        m_bPendingCR = false;
        Take('\r');
    }
    if (m_state == inLine)
    {
        Deliver();
        m_state = skipping;
    }
}

void CHostsLineScanner::Deliver()
{
    // The line's text ends at a NUL byte, as a C string would.
    const void* pNul = std::memchr(m_line.data(), 0, m_line.size());
    size_t nLength = pNul ? static_cast<size_t>(static_cast<const char*>(pNul) - m_line.data()) : m_line.size();
    m_sink(CString(m_line.data(), static_cast<int>(nLength)));
    m_line.clear();
}
}

void ReadHostsLines(const char* pszPath, const std::function<void(const CString&)>& sink)
{
    // Binary reads in large blocks; the scanner applies the text-mode rules.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(pszPath, "rb"), std::fclose);
    if (!file)
        return;

    const size_t nBlock = 64 * 1024;
    std::unique_ptr<char[]> buffer(new char[nBlock]);
    CHostsLineScanner scanner(sink);
    size_t nRead;
    bool bFirst = true;
    while ((nRead = std::fread(buffer.get(), 1, nBlock, file.get())) > 0)
    {
        // The first block holds the whole byte-order mark, if there is one.
        size_t nSkip = bFirst ? HostsTextStart(buffer.get(), nRead) : 0;
        bFirst = false;
        if (!scanner.Feed(buffer.get() + nSkip, nRead - nSkip))
            break;
    }
    file.reset();
    scanner.Finish();
}
