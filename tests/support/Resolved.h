// What Windows resolves from the rows, for the laws of the tests that
// change entries. Natively an IPv6 address's value is read by inet_pton;
// the Windows build of the tests compares its text in lower case.
#pragma once

#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"
#include "hosts/review/EntryCheck.h"

#ifndef _WIN32
#include <arpa/inet.h>
#endif

#include <cstdio>
#include <map>
#include <string>

// The address's value as Windows compares it: the family, the bytes and
// for IPv6 the zone, in lower case.
inline std::string AddressValue(const CLineWord& word)
{
    std::string text(word.pch, word.nLength);
    bool bIpv6 = false;
    IsHostsAddress(word.pch, word.nLength, &bIpv6);
    if (!bIpv6)
    {
        unsigned parts[4] = {};
        std::sscanf(text.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
        return "4:" + std::to_string(parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3]);
    }
    std::string zone;
    const size_t nZone = text.find('%');
    if (nZone != std::string::npos)
    {
        for (char ch : text.substr(nZone + 1))
            zone += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        text.erase(nZone);
    }
#ifdef _WIN32
    for (char& ch : text)
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return "6:" + text + "%" + zone;
#else
    unsigned char bytes[16] = {};
    if (inet_pton(AF_INET6, text.c_str(), bytes) != 1)
        return "inet_pton refuses " + text;
    return "6:" + std::string(reinterpret_cast<char*>(bytes), 16) + "%" + zone;
#endif
}

// What Windows resolves: for each family and name (ASCII letters in one
// case), the address of its first mapping.
inline std::map<std::string, std::string> Resolved(const CEntryList& list)
{
    std::map<std::string, std::string> resolved;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
    {
        if (list.IsCommented(nRow))
            continue;
        const CEntryList::Text text = list.GetText(nRow);
        CLineWords words(text.pch, text.nLength);
        CLineWord address, name;
        if (!words.Next(&address) || !IsHostsAddress(address.pch, address.nLength))
            continue;
        const std::string value = AddressValue(address);
        for (int n = 0; n < CEntryCheck::kNamesRead && words.Next(&name); ++n)
        {
            if (!CEntryCheck::IsMatchableName(name.pch, name.nLength))
                continue;
            std::string key = value.substr(0, 1) + ":";
            for (size_t k = 0; k < name.nLength; ++k)
                key += static_cast<char>(name.pch[k] >= 'A' && name.pch[k] <= 'Z' ? name.pch[k] - 'A' + 'a' : name.pch[k]);
            resolved.emplace(key, value);
        }
    }
    return resolved;
}
