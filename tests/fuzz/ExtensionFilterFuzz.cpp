// Any path and pattern lists: Matches and GetExtension never crash, and they
// keep their rules. The extension is what follows the last '.'; a list passes
// a path when one of its comma-separated patterns is "*.*" (any casing) or
// has the path's extension (ASCII letters compared without case); a list of
// two parts passes what either part passes; a list without patterns passes
// nothing; and the filter's answers do not depend on its earlier calls.
#include "FuzzCheck.h"
#include "hosts/disk/ExtensionFilter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace
{
std::string Extension(const std::string& text)
{
    size_t nDot = text.rfind('.');
    return nDot == std::string::npos ? text : text.substr(nDot + 1);
}

char LowerAscii(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t n = 0; n < a.size(); ++n)
        if (LowerAscii(a[n]) != LowerAscii(b[n]))
            return false;
    return true;
}

std::string SwapCase(std::string text)
{
    for (char& ch : text)
    {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
        else if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    }
    return text;
}

bool ModelMatches(const std::string& path, const std::string& list)
{
    size_t nStart = 0;
    while (nStart <= list.size())
    {
        size_t nEnd = list.find(',', nStart);
        if (nEnd == std::string::npos)
            nEnd = list.size();
        std::string pattern = list.substr(nStart, nEnd - nStart);
        if (!pattern.empty() &&
            (EqualNoCase(pattern, "*.*") || EqualNoCase(Extension(pattern), Extension(path))))
            return true;
        nStart = nEnd + 1;
    }
    return false;
}

CString ToCString(const std::string& text)
{
    return CString(text.data(), static_cast<int>(text.size()));
}

// One filter for the whole run, as a walker keeps one for all its calls.
CExtensionFilter g_filter;

bool Matches(const std::string& path, const std::string& list)
{
    return g_filter.Matches(ToCString(path), ToCString(list));
}

// The next part of the input up to a NUL (none of the texts holds one).
std::string NextPart(const std::string& input, size_t& nPos)
{
    if (nPos > input.size())
        return std::string();
    size_t nEnd = input.find('\0', nPos);
    if (nEnd == std::string::npos)
        nEnd = input.size();
    std::string part = input.substr(nPos, nEnd - nPos);
    nPos = nEnd + 1;
    return part;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string input(reinterpret_cast<const char*>(pData), nSize);
    size_t nPos = 0;
    const std::string path = NextPart(input, nPos);
    const std::string a = NextPart(input, nPos);
    const std::string b = NextPart(input, nPos);
    const std::string where = "path '" + Shown(path) + "' lists '" + Shown(a) + "' and '" + Shown(b) + "'";

    for (const std::string* pText : {&path, &a, &b})
    {
        const std::string extension = Bytes(g_filter.GetExtension(ToCString(*pText)));
        FUZZ_CHECK(extension == Extension(*pText), "the extension is the text after the last '.', or the whole text",
                   "text '" + Shown(*pText) + "' gave '" + Shown(extension) + "'");
        FUZZ_CHECK(extension.find('.') == std::string::npos, "an extension holds no '.'", where);
    }

    const bool bA = Matches(path, a);
    const bool bB = Matches(path, b);
    FUZZ_CHECK(bA == ModelMatches(path, a), "a list passes a path when one of its patterns does", where);
    FUZZ_CHECK(bB == ModelMatches(path, b), "a list passes a path when one of its patterns does", where);

    FUZZ_CHECK(Matches(path, a + "," + b) == (bA || bB), "a joined list passes what either part passes", where);
    FUZZ_CHECK(Matches(path, b + "," + a) == (bA || bB), "the order of the patterns does not matter", where);
    FUZZ_CHECK(Matches(path, a + ",,") == bA && Matches(path, ",," + a) == bA,
               "commas at either end add no pattern", where);

    // A pattern that passes nothing for this path changes nothing.
    const std::string other = EqualNoCase(Extension(path), "a") ? "*.b" : "*.a";
    FUZZ_CHECK(Matches(path, a + "," + other) == bA, "adding a pattern that passes nothing changes nothing",
               where + " with '" + other + "'");

    // "*.*" in any casing, anywhere in the list, passes everything.
    FUZZ_CHECK(Matches(path, a + ",*.*"), "\"*.*\" at the end of a list passes every path", where);
    FUZZ_CHECK(Matches(path, "*.*," + a), "\"*.*\" at the start of a list passes every path", where);
    FUZZ_CHECK(Matches(path, a + ",*.*," + b), "\"*.*\" in the middle of a list passes every path", where);

    // No pattern at all passes nothing.
    FUZZ_CHECK(!Matches(path, ""), "the empty list passes nothing", where);
    FUZZ_CHECK(!Matches(path, std::string(1 + a.size() % 40, ',')), "a list of commas passes nothing", where);

    // ASCII letters are compared without regard to case.
    FUZZ_CHECK(Matches(SwapCase(path), a) == bA && Matches(path, SwapCase(a)) == bA,
               "the case of ASCII letters does not matter", where);

    // A list longer than the 1023 characters the design plans for still
    // passes what its patterns pass.
    std::string longList = a;
    while (longList.size() < 1500)
        longList += ",," + a;
    FUZZ_CHECK(Matches(path, longList) == bA, "a long list passes what its patterns pass", where);

    // A new filter answers as the one that has seen every earlier call.
    CExtensionFilter fresh;
    FUZZ_CHECK(fresh.Matches(ToCString(path), ToCString(a)) == bA, "earlier calls leave nothing behind", where);
    CExtensionFilter another;
    FUZZ_CHECK(another.Matches(ToCString(path), ToCString(longList)) == bA,
               "a new filter takes a long list as a first list", where);
    return 0;
}
