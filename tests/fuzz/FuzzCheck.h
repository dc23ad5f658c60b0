// Checks for the fuzz targets: a broken law prints what was seen and aborts,
// so that libFuzzer keeps the input that broke it.
#pragma once

#include "framework/CString.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The text with every byte outside printable ASCII written as \xNN, cut
// after a few hundred characters.
inline std::string Shown(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size() && i < 300; ++i)
    {
        unsigned char ch = static_cast<unsigned char>(text[i]);
        if (ch >= 0x20 && ch < 0x7F && ch != '\\')
        {
            shown += static_cast<char>(ch);
        }
        else
        {
            char szHex[8];
            std::snprintf(szHex, sizeof szHex, "\\x%02X", ch);
            shown += szHex;
        }
    }
    if (text.size() > 300)
        shown += "...(" + std::to_string(text.size()) + " bytes)";
    return shown;
}

inline std::string Shown(const std::vector<std::string>& lines)
{
    std::string shown = std::to_string(lines.size()) + " lines:";
    for (size_t i = 0; i < lines.size() && i < 20; ++i)
        shown += "\n  [" + std::to_string(i) + "] '" + Shown(lines[i]) + "'";
    return shown;
}

// All the bytes of a CString, embedded NULs included.
inline std::string Bytes(const CString& text)
{
    return std::string(text.c_str(), static_cast<size_t>(text.GetLength()));
}

[[noreturn]] inline void LawBroken(const char* pszLaw, const std::string& detail)
{
    std::fprintf(stderr, "\n*** law broken: %s\n%s\n", pszLaw, detail.c_str());
    std::abort();
}

#define FUZZ_CHECK(condition, law, detail)  \
    do                                      \
    {                                       \
        if (!(condition))                   \
            LawBroken(law, detail);         \
    } while (0)

// The C locale's white space, as the reading and trimming rules know it.
inline bool IsWhite(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}
