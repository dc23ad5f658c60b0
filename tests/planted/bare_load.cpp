// Loads the DLL named on its command line by that bare name, from wherever
// the standard search finds it first, as a program that does not restrict its
// DLL search would:
//
//   bare_load.exe NAME
//
// Exits with 0 when the DLL loaded, 1 when it did not and 3 when the command
// line is wrong.
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 3;
    return ::LoadLibraryA(argv[1]) ? 0 : 1;
}
