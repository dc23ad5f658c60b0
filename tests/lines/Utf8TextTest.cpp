// Which files are shown as UTF-8: well-formed UTF-8 with a byte above 0x7F.
// Under Wine the same judgement is also checked against the system's own
// MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS), which is the rule.
#include "hosts/lines/Utf8Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace std::string_literals;

namespace
{
struct Case
{
    std::string bytes;
    TextEncoding expected;
};

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        {"", TextEncoding::ascii},
        {"127.0.0.1 localhost\r\n"s, TextEncoding::ascii},
        {"a\0b\x1A\x7F"s, TextEncoding::ascii},
        {"# caf\xC3\xA9", TextEncoding::utf8},                                 // é
        {"# \xE5\xB9\xBF\xE5\x91\x8A", TextEncoding::utf8},                     // 广告
        {"# \xD1\x80\xD0\xB5\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xBC\xD0\xB0", TextEncoding::utf8},  // реклама
        {"\xEF\xBB\xBF" "127.0.0.1 a\r\n", TextEncoding::utf8},                // a byte-order mark
        {"\xF0\x9F\x98\x80", TextEncoding::utf8},                               // U+1F600
        {"\xF4\x8F\xBF\xBF", TextEncoding::utf8},                               // U+10FFFF
        {"\xEF\xBF\xBF", TextEncoding::utf8},                                   // U+FFFF
        {"\xED\x9F\xBF", TextEncoding::utf8},                                   // U+D7FF, just below the surrogates
        {"\xEE\x80\x80", TextEncoding::utf8},                                   // U+E000, just above them
        {"\xC2\x80", TextEncoding::utf8},                                       // U+0080
        {"\xE0\xA0\x80", TextEncoding::utf8},                                   // U+0800
        {"\xF0\x90\x80\x80", TextEncoding::utf8},                               // U+10000
        {"# caf\xE9", TextEncoding::ansi},                                      // é in code page 1252
        {"\x83\x41\x83\x61", TextEncoding::ansi},                               // アヂ in code page 932
        {"\xC3", TextEncoding::ansi},                                           // cut off at the end
        {"abc\xE5\xB9", TextEncoding::ansi},
        {"\xF0\x9F\x98", TextEncoding::ansi},
        {"\xA9", TextEncoding::ansi},                                           // a continuation byte alone
        {"\xC3\xA9\xA9", TextEncoding::ansi},
        {"\xC0\x80", TextEncoding::ansi},                                       // overlong NUL
        {"\xC1\xBF", TextEncoding::ansi},
        {"\xE0\x9F\xBF", TextEncoding::ansi},                                   // overlong three bytes
        {"\xF0\x8F\xBF\xBF", TextEncoding::ansi},                               // overlong four bytes
        {"\xED\xA0\x80", TextEncoding::ansi},                                   // a surrogate, U+D800
        {"\xED\xBF\xBF", TextEncoding::ansi},                                   // U+DFFF
        {"\xF4\x90\x80\x80", TextEncoding::ansi},                               // U+110000
        {"\xF5\x80\x80\x80", TextEncoding::ansi},
        {"\xFE", TextEncoding::ansi},
        {"\xFF\xFE" "a\0"s, TextEncoding::ansi},                                // a UTF-16 file
        {"\xC3\x41", TextEncoding::ansi},                                       // a lead byte before ASCII
        // Past the eight-byte steps: the bad byte is the ninth, or the
        // sequence straddles a step.
        {"01234567\xC3(", TextEncoding::ansi},
        {"0123456\xC3\xA9" "0123456789", TextEncoding::utf8},
        {"0123456789abcdef\xE2\x82", TextEncoding::ansi},
    };
    return cases;
}
}

TEST(Utf8Text, FilesAreUtf8OnlyWhenWellFormedWithAByteAboveAscii)
{
    for (const Case& c : Cases())
    {
        EXPECT_EQ(c.expected, ClassifyText(c.bytes.data(), c.bytes.size())) << testing::PrintToString(c.bytes);
        EXPECT_EQ(c.expected != TextEncoding::ansi, IsValidUtf8(c.bytes.data(), c.bytes.size()))
            << testing::PrintToString(c.bytes);
    }
    // One bad byte at the far end of a long file spoils the whole file.
    std::string big(1000000, 'x');
    big += "\xC3\xA9";
    EXPECT_EQ(TextEncoding::utf8, ClassifyText(big.data(), big.size()));
    big += "\xFF";
    EXPECT_EQ(TextEncoding::ansi, ClassifyText(big.data(), big.size()));
}

#ifdef _WIN32
// The rule is what Windows accepts; Wine implements the same conversion.
TEST(Utf8Text, AgreesWithMultiByteToWideChar)
{
    auto system = [](const std::string& bytes) {
        if (bytes.empty())
            return true;
        return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0) > 0;
    };
    std::vector<std::string> inputs;
    for (const Case& c : Cases())
        inputs.push_back(c.bytes);
    // Every one- and two-byte text; every first and second byte of three-
    // and four-byte forms, with good or bad continuations after them, whole
    // and cut short.
    for (int a = 0; a < 256; ++a)
    {
        inputs.push_back(std::string(1, static_cast<char>(a)));
        for (int b = 0; b < 256; ++b)
        {
            std::string two{static_cast<char>(a), static_cast<char>(b)};
            inputs.push_back(two);
            if (a >= 0xE0 && a <= 0xF7)
                for (const char* pszTail : {"\x80", "\xBF", "A", "\x80\x80", "\x80" "A", "\xBF\xBF"})
                    inputs.push_back(two + pszTail);
        }
    }
    int nDisagreements = 0;
    for (const std::string& bytes : inputs)
    {
        bool bSystem = system(bytes);
        if (bSystem != IsValidUtf8(bytes.data(), bytes.size()) && ++nDisagreements <= 20)
            ADD_FAILURE() << testing::PrintToString(bytes) << ": the system says " << (bSystem ? "valid" : "invalid");
    }
    EXPECT_EQ(0, nDisagreements) << "of " << inputs.size() << " inputs";
}
#endif
