// The Windows side of CString's lead-byte test: which bytes start a
// double-byte character in the ANSI code page (none in 1252, 1251 or UTF-8).
#include <windows.h>

bool IsSystemAnsiLeadByte(unsigned char ch)
{
    return ::IsDBCSLeadByteEx(CP_ACP, ch) != FALSE;
}
