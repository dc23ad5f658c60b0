// What the check finds in tests/data/entry-check-hosts.txt: one line of each
// problem, after lines that must raise none (a trailing comment, tabs, an
// IPv6 entry, a name in another script, one name on an IPv4 and an IPv6
// line, commented bad lines).
#pragma once

struct CExpectedProblem
{
    int nRow;  // "Sr No"
    const char* pszText;
};

const char kEntryCheckFile[] = "entry-check-hosts.txt";

const CExpectedProblem kEntryCheckExpected[] = {
    {8, "\"127.0.0.1:8080\": a hosts file takes no port; Windows ignores this line."},
    {9, "The address comes first: write \"10.0.0.9 intranet.example\"."},
    {10, "\"127.0.0.l\" is not an IP address: Windows ignores this line."},
    {11, "No host name after the address: Windows ignores this line."},
    {12, "\"https://intranet.example/path\" is a web address: write the host name alone (\"intranet.example\")."},
    {13, "\"*.ads.example\": Windows does not match wildcards; list each host name."},
    {14, "\"app.local:8080\": a hosts file takes no port; write the host name alone (\"app.local\")."},
    {15, "\"bad..name\" is not a valid host name."},
    {16, "11 names on one line: Windows reads the first 9 and ignores \"n10\" and the rest."},
    {17, "\"LOCALHOST\" is already on row 2 with the same address."},
    {18, "\"api.dev.example\" is also on row 3, whose address Windows uses."},
    {19, "\"same.example\" is already on row 19 with the same address."},
    {20, "\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx.really-long-yyyy...\": Windows does not "
         "match wildcards; list each host name."},
};
