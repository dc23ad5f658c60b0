// The native side of LetterOrDigit.h: glibc's C.UTF-8 locale knows every
// script. Made once, at the first call, and kept to the end.
#include "framework/LetterOrDigit.h"

#include <locale.h>
#include <wctype.h>

bool IsLetterOrDigit(unsigned long nCodePoint)
{
    static const locale_t s_locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return s_locale && ::iswalnum_l(static_cast<wint_t>(nCodePoint), s_locale) != 0;
}

bool IsAnsiLetterOrDigit(const char* pch, int nLength)
{
    // Natively no byte is a lead byte, and no byte above 0x7F a letter.
    const unsigned char ch = static_cast<unsigned char>(*pch);
    return nLength == 1 && ch < 0x80 && IsLetterOrDigit(ch);
}
