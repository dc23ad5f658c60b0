#include "hosts/review/Sections.h"

#include "tests/support/TempFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Windows' own hosts file, as it comes.
const std::string kWindowsDefault =
    "# Copyright (c) 1993-2009 Microsoft Corp.\r\n#\r\n"
    "# This is a sample HOSTS file used by Microsoft TCP/IP for Windows.\r\n#\r\n"
    "# This file contains the mappings of IP addresses to host names. Each\r\n"
    "# entry should be kept on an individual line. The IP address should\r\n"
    "# be placed in the first column followed by the corresponding host name.\r\n"
    "# The IP address and the host name should be separated by at least one\r\n# space.\r\n#\r\n"
    "# Additionally, comments (such as these) may be inserted on individual\r\n"
    "# lines or following the machine name denoted by a '#' symbol.\r\n#\r\n"
    "# For example:\r\n#\r\n"
    "#      102.54.94.97     rhino.acme.com          # source server\r\n"
    "#       38.25.63.10     x.acme.com              # x client host\r\n\r\n"
    "# localhost name resolution is handled within DNS itself.\r\n"
    "#\t127.0.0.1       localhost\r\n#\t::1             localhost\r\n";

struct Case
{
    const char* pszName;
    std::string bytes;
    std::vector<std::string> added;
    // Each section as "<heading text>:<its entries' rows> <status>".
    std::vector<std::string> sections;
};

const Case kCases[] = {
    {"entries before the first heading, Windows' own file, a punctuation comment and a commented entry, "
     "an added row after the last section",
     "10.9.9.9 first.example\r\n" + kWindowsDefault +
         "\r\n# Dev servers\r\n#=====\r\n10.0.0.5 api.dev.example\r\n# 10.0.0.7 old.dev.example\r\n"
         "10.0.0.6 web.dev.example\r\n\r\n# Social media\r\n0.0.0.0 facebook.com\r\n0.0.0.0 www.facebook.com\r\n",
     {"0.0.0.0 added.example"},
     {"Dev servers:23,24,25 Mixed", "Social media:27,28,29 Active"}},
    {"Windows' own file with a user's entry appended: its samples join no heading", kWindowsDefault +
     "0.0.0.0 ads.example\r\n", {}, {}},
    {"a heading written after them makes a section", kWindowsDefault + "0.0.0.0 ads.example\r\n",
     {"# Ads", "0.0.0.0 more.example"}, {"Ads:22 Active"}},
    {"headings in any script; punctuation of another is none",
     "# \xD0\xA0\xD0\xB5\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xBC\xD0\xB0\r\n1.1.1.1 a\r\n# \xE2\x80\x94\r\n1.1.1.2 b\r\n"
     "# \xE5\xB9\xBF\xE5\x91\x8A\r\n1.1.1.3 c\r\n",
     {}, {"\xD0\xA0\xD0\xB5\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xBC\xD0\xB0:1,3 Active", "\xE5\xB9\xBF\xE5\x91\x8A:5 Active"}},
    {"an added row after a blank line", "# A\r\n1.1.1.1 a\r\n\r\n", {"1.1.1.2 b"}, {"A:1 Active"}},
    {"an added row after an all-white last line without a line end", "# A\r\n1.1.1.1 a\r\n \t", {"1.1.1.2 b"},
     {"A:1 Active"}},
    {"an added row after a last line without a line end", "# A\r\n1.1.1.1 a", {"1.1.1.2 b"}, {"A:1,2 Active"}},
    {"an all-white line ends a section; a heading without entries is none",
     "\r\n\r\n  ##  First   \r\n::1 a\r\n \t \r\n1.1.1.2 b\r\n# Empty\r\n#Second\r\nnot an entry\r\n#1.1.1.3 c\n",
     {}, {"First:1 Active", "Second:6 Commented"}},
    {"no heading at all", "1.1.1.1 a\r\n# 1.1.1.2 b\r\n#----\r\n", {}, {}},
};

std::vector<std::string> Describe(const CSections& sections, const CEntryList& list)
{
    std::vector<std::string> described;
    for (int n = 0; n < sections.GetCount(); ++n)
    {
        const CSections::Section& section = sections.GetSection(n);
        CSections::Heading heading = CSections::HeadingText(list, section.nHeading);
        std::string text(heading.pch, heading.nLength);
        int nListed = 0;
        for (int nRow = section.nHeading + 1; nRow < section.nEnd; ++nRow)
            if (sections.IsEntry(nRow))
                text += (nListed++ ? "," : ":") + std::to_string(nRow);
        EXPECT_EQ(section.nEntries, nListed);
        described.push_back(text + " " + CSections::StatusText(sections.GetStatus(n)));
    }
    return described;
}
}

// Every case: the sections found, then each section switched off and on.
// Switching changes exactly the section's entries; off then on gives back
// the texts of a section that was all active.
TEST(Sections, FindsTheSectionsAndSwitchesOnlyTheirEntries)
{
    for (const Case& test : kCases)
    {
        SCOPED_TRACE(test.pszName);
        CTempFile file(test.bytes);
        CEntryList list;
        ASSERT_EQ(CEntryList::loaded, list.Load(file.Path()));
        for (const std::string& added : test.added)
            ASSERT_TRUE(list.Append(added.c_str(), added.size()));
        CSections sections;
        ASSERT_TRUE(sections.Find(list));
        EXPECT_EQ(test.sections, Describe(sections, list));

        for (int n = 0; n < sections.GetCount(); ++n)
        {
            const CSections::Section section = sections.GetSection(n);
            const bool bWasActive = sections.GetStatus(n) == CSections::active;
            std::vector<std::string> texts;
            for (int nRow = 0; nRow < list.GetCount(); ++nRow)
                texts.push_back(list.GetTextString(nRow).c_str());
            for (bool bOn : {false, true})
            {
                bool bChanged = false;
                ASSERT_TRUE(sections.Switch(list, n, bOn, &bChanged));
                EXPECT_EQ(bOn ? CSections::active : CSections::commented, sections.GetStatus(n));
                for (int nRow = 0; nRow < list.GetCount(); ++nRow)
                {
                    bool bEntry = sections.IsEntry(nRow) && nRow > section.nHeading && nRow < section.nEnd;
                    if (bEntry)
                    {
                        EXPECT_NE(bOn, list.IsCommented(nRow)) << nRow;
                    }
                    if (!bEntry || (bOn && bWasActive))
                    {
                        EXPECT_EQ(texts[static_cast<size_t>(nRow)], list.GetTextString(nRow).c_str()) << nRow;
                    }
                }
            }
        }
    }
}
