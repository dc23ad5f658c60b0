// The files the benchmark reads and writes beside the window: the hosts
// file's lines counted and its start read in pieces (a copy of a large file
// would count in the peak memory), another program's one-byte change, and
// the backup folder filled with extra files.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

int CountFileLines(const std::string& path);
std::string ReadStart(const std::string& path, size_t nBytes);
// Writes one byte over the file, as another program's small edit would.
bool WriteByteAt(const std::string& path, LONG nOffset, char ch);
// Extra files in the backup folder, named as the program names its copies;
// the paths made (names already there are left alone).
std::vector<std::string> MakeBackups(int nCount);
// Files in the folder and its subfolders.
int CountFiles(const std::string& folder);
// A path in the temporary folder.
std::string TempPath(const char* pszName);
