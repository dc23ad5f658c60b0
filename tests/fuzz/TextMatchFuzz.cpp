// Find's matching and the UTF-8 judgement against slow, obviously right
// models: a text holds the wanted text when the wanted text's characters
// are a run of the text's characters (a double-byte character equal byte for
// byte, a single-byte one with A-Z folded unless the case must match); a
// text is UTF-8 when it decodes, code point by code point, into nothing
// overlong, no surrogate and nothing above U+10FFFF.
#include "framework/CString.h"
#include "FuzzCheck.h"
#include "hosts/lines/TextMatch.h"
#include "hosts/lines/Utf8Text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace
{
bool IsLeadByte932(unsigned char ch)
{
    return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC);
}

bool NoLeadBytes(unsigned char)
{
    return false;
}

// The characters of a text, each as its bytes; a single-byte one folded.
std::vector<std::string> Characters(const std::string& text, bool bDoubleByte, bool bFold)
{
    std::vector<std::string> characters;
    for (size_t n = 0; n < text.size();)
    {
        size_t nSize = bDoubleByte && IsLeadByte932(static_cast<unsigned char>(text[n])) && n + 1 < text.size() ? 2 : 1;
        std::string character = text.substr(n, nSize);
        if (nSize == 1 && bFold && character[0] >= 'a' && character[0] <= 'z')
            character[0] = static_cast<char>(character[0] - 'a' + 'A');
        characters.push_back(character);
        n += nSize;
    }
    return characters;
}

bool ModelHolds(const std::string& text, const std::string& wanted, bool bDoubleByte, bool bMatchCase)
{
    if (wanted.empty())
        return false;
    std::vector<std::string> in = Characters(text, bDoubleByte, !bMatchCase);
    std::vector<std::string> want = Characters(wanted, bDoubleByte, !bMatchCase);
    for (size_t nStart = 0; nStart + want.size() <= in.size(); ++nStart)
    {
        size_t n = 0;
        while (n < want.size() && in[nStart + n] == want[n])
            ++n;
        if (n == want.size())
            return true;
    }
    return false;
}

bool ModelUtf8(const std::string& bytes)
{
    for (size_t n = 0; n < bytes.size();)
    {
        unsigned char ch = static_cast<unsigned char>(bytes[n]);
        size_t nSize = ch < 0x80 ? 1 : (ch >> 5) == 6 ? 2 : (ch >> 4) == 14 ? 3 : (ch >> 3) == 30 ? 4 : 0;
        if (nSize == 0 || n + nSize > bytes.size())
            return false;
        uint32_t nCode = nSize == 1 ? ch : ch & (0x7F >> nSize);
        for (size_t k = 1; k < nSize; ++k)
        {
            unsigned char next = static_cast<unsigned char>(bytes[n + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            nCode = nCode << 6 | (next & 0x3F);
        }
        const uint32_t nSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (nCode < nSmallest[nSize] || (nCode >= 0xD800 && nCode <= 0xDFFF) || nCode > 0x10FFFF)
            return false;
        n += nSize;
    }
    return true;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize == 0)
        return 0;
    const std::string all(reinterpret_cast<const char*>(pData), nSize);
    FUZZ_CHECK(IsValidUtf8(all.data(), all.size()) == ModelUtf8(all), "UTF-8 as the model decodes it", Shown(all));

    // First byte: the options; then the wanted text up to a zero byte (a
    // wanted text has no zero), then the text.
    const unsigned nOptions = pData[0];
    const bool bMatchCase = nOptions & 1;
    const bool bDoubleByte = nOptions & 2;
    const bool bHead = nOptions & 4;
    std::string rest = all.substr(1);
    size_t nZero = rest.find('\0');
    std::string wanted = rest.substr(0, nZero);
    std::string text = nZero == std::string::npos ? std::string() : rest.substr(nZero + 1);

    SetAnsiLeadByteTest(bDoubleByte ? IsLeadByte932 : NoLeadBytes);
    // A head of whole characters, as the comment mark is.
    const std::string head = bHead ? "# " : "";
    CTextMatch match(wanted.c_str(), bMatchCase, false);
    bool bFound = match.FoundIn(head.data(), head.size(), text.data(), text.size());
    FUZZ_CHECK(bFound == ModelHolds(head + text, wanted, bDoubleByte, bMatchCase), "holds as the model says",
               Shown(head + text) + " / " + Shown(wanted));
    // As UTF-8 (and in a single-byte code page), byte for byte whatever the
    // code page.
    CTextMatch bytes(wanted.c_str(), bMatchCase, true);
    FUZZ_CHECK(bytes.FoundIn(head.data(), head.size(), text.data(), text.size()) ==
                   ModelHolds(head + text, wanted, false, bMatchCase),
               "UTF-8 holds byte for byte", Shown(head + text) + " / " + Shown(wanted));
    SetAnsiLeadByteTest(nullptr);
    return 0;
}
