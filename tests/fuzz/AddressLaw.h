// The address reader checked against glibc's inet_pton (natively only).
//
// The differences are deliberate, and the only ones:
//  - a decimal number of an IPv4 address (alone or at the end of an IPv6
//    address) may have leading zeros: 127.000.000.001 is an address here,
//    which inet_pton refuses. Windows' own reader takes such numbers, so a
//    line holding one is not a line Windows ignores. The law compares with
//    inet_pton on the word without those zeros;
//  - an IPv6 address may end in a zone, '%' and one or more letters, digits,
//    '-', '_' or '.' (fe80::1%12), which inet_pton refuses. The law compares
//    the address before the '%'.
#pragma once

#include "hosts/lines/LineParts.h"

#include <arpa/inet.h>

#include <string>

// The word with the leading zeros of every decimal number next to a dot
// dropped (one zero stays for a number that is all zeros).
inline std::string WithoutLeadingZeros(const std::string& word)
{
    std::string result;
    size_t nStart = 0;
    while (nStart <= word.size())
    {
        size_t nEnd = word.find_first_of(".:", nStart);
        if (nEnd == std::string::npos)
            nEnd = word.size();
        std::string token = word.substr(nStart, nEnd - nStart);
        bool bNextToDot = (nStart > 0 && word[nStart - 1] == '.') || (nEnd < word.size() && word[nEnd] == '.');
        if (bNextToDot && !token.empty() && token.find_first_not_of("0123456789") == std::string::npos)
        {
            size_t nFirst = token.find_first_not_of('0');
            token = nFirst == std::string::npos ? "0" : token.substr(nFirst);
        }
        result += token;
        if (nEnd < word.size())
            result += word[nEnd];
        nStart = nEnd + 1;
    }
    return result;
}

// What is wrong with the reader's answer on this word; empty when nothing.
inline std::string AddressLawProblem(const std::string& word)
{
    bool bIpv6 = false;
    bool bAddress = IsHostsAddress(word.data(), word.size(), &bIpv6);
    bool bExpected4 = false, bExpected6 = false;
    unsigned char address[16];
    if (word.find('\0') == std::string::npos)
    {
        size_t nZone = word.find('%');
        if (nZone == std::string::npos)
        {
            std::string plain = WithoutLeadingZeros(word);
            bExpected4 = inet_pton(AF_INET, plain.c_str(), address) == 1;
            bExpected6 = inet_pton(AF_INET6, plain.c_str(), address) == 1;
        }
        else
        {
            std::string zone = word.substr(nZone + 1);
            bool bZone = !zone.empty() && zone.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"
                                                                 "ABCDEFGHIJKLMNOPQRSTUVWXYZ-_.") == std::string::npos;
            std::string plain = WithoutLeadingZeros(word.substr(0, nZone));
            bExpected6 = bZone && inet_pton(AF_INET6, plain.c_str(), address) == 1;
        }
    }
    if (bAddress != (bExpected4 || bExpected6))
        return bAddress ? "taken as an address, which inet_pton refuses" : "refused, which inet_pton takes";
    if (bAddress && bIpv6 != bExpected6)
        return "the wrong family";
    return std::string();
}
