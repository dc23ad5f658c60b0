#include "hosts/disk/Locations.h"

#include "framework/AppName.h"
#include "framework/ShellApi.h"
#include "hosts/disk/AnsiPath.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Puts the test seams back and removes the backup copies and folders a test
// made. Tests that change the prefix's hosts file go through SetHostsContent,
// and the original content is written back afterwards.
class HostsFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CHostsFiles().GetHostsFilePath(m_hostsPath);
        m_bHostsExisted = FileExists(m_hostsPath);
        if (m_bHostsExisted)
            m_originalHosts = ReadAll(m_hostsPath);
    }

    void TearDown() override
    {
        CShellApi::SetLibraryNameForTesting(nullptr);
        AfxSetAppName(nullptr);
        for (const CString& path : m_madeFiles)
            ::DeleteFileA(path);
        for (auto it = m_madeFolders.rbegin(); it != m_madeFolders.rend(); ++it)
            ::RemoveDirectoryA(*it);
        if (m_bHostsChanged)
        {
            if (m_bHostsExisted)
                EXPECT_TRUE(WriteAll(m_hostsPath, m_originalHosts)) << "hosts file not restored";
            else
                ::DeleteFileA(m_hostsPath);
        }
    }

    void SetHostsContent(const std::string& bytes)
    {
        m_bHostsChanged = true;
        ASSERT_TRUE(WriteAll(m_hostsPath, bytes));
    }
    void RemoveHostsFile()
    {
        m_bHostsChanged = true;
        ASSERT_TRUE(::DeleteFileA(m_hostsPath));
    }

    // A folder the test expects the code to create: made to not exist first
    // (when empty) and removed afterwards when empty.
    CString ExpectNewFolder(const CString& path)
    {
        // Other tests of this prefix may have left backups in it.
        CTempFolder::RemoveTree(path);
        m_madeFolders.push_back(path);
        return path;
    }
    CString ExpectNewFile(const CString& path)
    {
        m_madeFiles.push_back(path);
        return path;
    }

    // A backup whose copy, when made, is removed after the test whatever its name.
    BOOL Backup(CString& backupPath, const COleDateTime& when, LCID lcid = LANG_USER_DEFAULT)
    {
        BOOL bMade = CHostsFiles().BackupHostsFile(backupPath, when, lcid);
        DWORD dwError = ::GetLastError();
        if (bMade)
            m_madeFiles.push_back(backupPath);
        ::SetLastError(dwError);
        return bMade;
    }

    CString m_hostsPath;
    bool m_bHostsExisted = false;
    bool m_bHostsChanged = false;
    std::string m_originalHosts;
    std::vector<CString> m_madeFiles;
    std::vector<CString> m_madeFolders;
};

CString DataFolder()
{
    CString folder;
    CHostsFiles().GetDataFolder(folder);
    return folder;
}

CString ModuleFolder()
{
    CString folder;
    CHostsFiles().GetModuleFolder(folder);
    return folder;
}
}

TEST_F(HostsFilesTest, HostsFileIsUnderTheSystemDirectory)
{
    EXPECT_STREQ("C:\\windows\\system32\\drivers\\etc\\hosts", m_hostsPath);
    EXPECT_TRUE(EndsWith(m_hostsPath, "system32\\drivers\\etc\\hosts"));
    EXPECT_TRUE(FileExists(m_hostsPath));
}

TEST_F(HostsFilesTest, ModuleFolderIsTheExecutablesFolderWithoutTrailingBackslash)
{
    CString folder = ModuleFolder();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_NE('\\', folder[folder.GetLength() - 1]);
    EXPECT_TRUE(FileExists(folder + "\\hosts_tests.exe")) << folder.c_str();
}

TEST_F(HostsFilesTest, DataFolderIsLocalApplicationData)
{
    CString folder = DataFolder();
    EXPECT_EQ(0, folder.Left(9).CompareNoCase("C:\\users\\")) << folder.c_str();
    EXPECT_TRUE(EndsWith(folder, "\\AppData\\Local")) << folder.c_str();
    EXPECT_TRUE(FolderExists(folder));
}

TEST_F(HostsFilesTest, BackupFolderIsCreatedInsideTheDataFolder)
{
    CString expected = ExpectNewFolder(DataFolder() + "\\Tarnwick");
    ASSERT_FALSE(FolderExists(expected));

    CString folder;
    CHostsFiles().GetBackupFolder(folder);
    EXPECT_EQ(expected, folder);
    EXPECT_TRUE(FolderExists(folder));

    // Again: the same text, and the existing folder does no harm.
    CString again;
    CHostsFiles().GetBackupFolder(again);
    EXPECT_EQ(expected, again);
    EXPECT_TRUE(FolderExists(again));
}

TEST_F(HostsFilesTest, BackupFolderIsNamedAfterTheApplicationTitle)
{
    AfxSetAppName("Tarnwick Other");
    CString expected = ExpectNewFolder(DataFolder() + "\\Tarnwick Other");
    CString folder;
    CHostsFiles().GetBackupFolder(folder);
    EXPECT_EQ(expected, folder);
    EXPECT_TRUE(FolderExists(folder));
}

TEST_F(HostsFilesTest, WithoutTheShellTheExecutablesFolderIsUsed)
{
    // A library that does not load, and one that loads but has no
    // SHGetSpecialFolderPathA.
    for (const char* pszLibrary : {"tw-no-such-library.dll", "kernel32.dll"})
    {
        CShellApi::SetLibraryNameForTesting(pszLibrary);
        EXPECT_EQ(ModuleFolder(), DataFolder()) << pszLibrary;

        CString expected = ExpectNewFolder(ModuleFolder() + "\\Tarnwick");
        CString folder;
        CHostsFiles().GetBackupFolder(folder);
        EXPECT_EQ(expected, folder) << pszLibrary;
        EXPECT_TRUE(FolderExists(folder)) << pszLibrary;
        ::RemoveDirectoryA(folder);
    }
}

TEST_F(HostsFilesTest, PathsTheCodePageCannotSpellAreNamedByTheirShortForm)
{
    // A folder named like a user in another script (Дмитрий) on a system
    // whose code page for programs like this one is 1252.
    wchar_t szLocal[MAX_PATH] = L"";
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, szLocal)));
    std::wstring folder = std::wstring(szLocal) + L"\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439";
    BOOL bMade = ::CreateDirectoryW(folder.c_str(), nullptr);
    DWORD dwError = ::GetLastError();
    ASSERT_TRUE(bMade || dwError == ERROR_ALREADY_EXISTS) << "error " << dwError;
    std::wstring probe = folder + L"\\probe";

    // A path the code page spells comes back as the narrow API gives it.
    char szNarrowLocal[MAX_PATH] = "";
    ::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, szNarrowLocal);
    CString path;
    EXPECT_TRUE(GetAnsiPath(szLocal, path));
    EXPECT_STREQ(szNarrowLocal, path);

    // The other folder by its short form: plain ASCII, naming that folder.
    EXPECT_TRUE(GetAnsiPath(folder.c_str(), path));
    for (int n = 0; n < path.GetLength(); ++n)
        EXPECT_LT(static_cast<unsigned char>(path[n]), 0x80) << path.c_str();
    EXPECT_TRUE(WriteAll(path + "\\probe", "x")) << path.c_str();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(probe.c_str()));

    // Nothing names a missing path of that kind: not '?', and not a look-alike
    // ('\u0141\u00F3d\u017A' would become 'Lodz', another folder).
    CString untouched = "untouched";
    EXPECT_FALSE(GetAnsiPath((folder + L"\\missing").c_str(), untouched));
    EXPECT_FALSE(GetAnsiPath(L"C:\\\u0141\u00F3d\u017A", untouched));
    EXPECT_STREQ("untouched", untouched);

    ::DeleteFileW(probe.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

TEST_F(HostsFilesTest, ShellApiAnswersFalseWithoutTheEntryPoint)
{
    char szBuffer[261] = "untouched";
    {
        CShellApi::SetLibraryNameForTesting("tw-no-such-library.dll");
        CShellApi shell;
        EXPECT_FALSE(shell.SHGetSpecialFolderPath(nullptr, szBuffer, CSIDL_LOCAL_APPDATA, TRUE));
        EXPECT_STREQ("untouched", szBuffer);
    }
    {
        CShellApi::SetLibraryNameForTesting(nullptr);
        CShellApi shell;
        EXPECT_TRUE(shell.SHGetSpecialFolderPath(nullptr, szBuffer, CSIDL_LOCAL_APPDATA, TRUE));
        EXPECT_TRUE(EndsWith(szBuffer, "\\AppData\\Local")) << szBuffer;
    }
}

TEST_F(HostsFilesTest, BackupIsNamedAfterTheMomentAndCopiesTheHostsFile)
{
    SetHostsContent("# test hosts\r\n127.0.0.1 a\r\n");
    CString folder = ExpectNewFolder(DataFolder() + "\\Tarnwick");
    CString expected = ExpectNewFile(folder + "\\Hosts file backup on 7 1 2008 9 42 20 PM");

    CString backupPath;
    EXPECT_TRUE(Backup(backupPath, COleDateTime(2008, 7, 1, 21, 42, 20)));
    EXPECT_EQ(expected, backupPath);
    EXPECT_EQ(std::string("# test hosts\r\n127.0.0.1 a\r\n"), ReadAll(backupPath));
}

TEST_F(HostsFilesTest, BackupOfTheSameSecondFailsAndReplacesNothing)
{
    SetHostsContent("first\r\n");
    CString folder = ExpectNewFolder(DataFolder() + "\\Tarnwick");
    CString expected = ExpectNewFile(folder + "\\Hosts file backup on 7 1 2008 9 42 20 PM");
    COleDateTime when(2008, 7, 1, 21, 42, 20);
    CString backupPath;
    ASSERT_TRUE(Backup(backupPath, when));

    SetHostsContent("second\r\n");
    CString secondPath;
    ::SetLastError(0);
    EXPECT_FALSE(Backup(secondPath, when));
    EXPECT_EQ(80u, ::GetLastError());  // ERROR_FILE_EXISTS
    EXPECT_EQ(expected, secondPath);
    EXPECT_EQ(std::string("first\r\n"), ReadAll(expected));
}

TEST_F(HostsFilesTest, BackupsOfDifferentMomentsBothSucceed)
{
    SetHostsContent("a\r\n");
    CString folder = ExpectNewFolder(DataFolder() + "\\Tarnwick");
    CString first = ExpectNewFile(folder + "\\Hosts file backup on 7 1 2008 9 42 20 PM");
    CString second = ExpectNewFile(folder + "\\Hosts file backup on 7 1 2008 9 42 21 PM");

    CString path;
    EXPECT_TRUE(Backup(path, COleDateTime(2008, 7, 1, 21, 42, 20)));
    EXPECT_TRUE(Backup(path, COleDateTime(2008, 7, 1, 21, 42, 21)));
    EXPECT_EQ(second, path);
    EXPECT_TRUE(FileExists(first));
    EXPECT_TRUE(FileExists(second));
}

TEST_F(HostsFilesTest, BackupNameIsTheLocalesDateTimeTextMadeSafe)
{
    CString folder = ExpectNewFolder(DataFolder() + "\\Tarnwick");
    CString prefix = folder + "\\Hosts file backup on ";
    struct Case
    {
        COleDateTime when;
        LCID lcid;
        const char* pszName;
    };
    const Case cases[] = {
        {COleDateTime(2008, 7, 1, 0, 0, 0), 0x0409, "7 1 2008"},               // midnight: the date alone
        {COleDateTime(2008, 7, 1, 21, 42, 20), 0x0419, "01.07.2008 21 42 20"},  // 01.07.2008 21:42:20
        {COleDateTime(2008, 7, 1, 21, 42, 20), 0x0809, "01 07 2008 21 42 20"},  // 01/07/2008 21:42:20
    };
    for (const Case& c : cases)
    {
        CString backupPath;
        EXPECT_TRUE(Backup(backupPath, c.when, c.lcid)) << c.pszName;
        EXPECT_EQ(prefix + c.pszName, backupPath);
        EXPECT_TRUE(FileExists(prefix + c.pszName)) << c.pszName;
    }
}

TEST_F(HostsFilesTest, TimeMarksThatTheCodePageLacksBecomeSpacesInTheBackupName)
{
    // Korean AM/PM marks in the user's time format, on a system whose code
    // page for programs like this one is 1252: the conversion leaves '?',
    // which no file name can hold.
    ASSERT_EQ(1252u, ::GetACP());
    struct Setting
    {
        LCTYPE type;
        const wchar_t* pszValue;
        wchar_t szSaved[80];
    } settings[] = {{LOCALE_S1159, L"\uC624\uC804", {}}, {LOCALE_S2359, L"\uC624\uD6C4", {}},
                    {LOCALE_STIMEFORMAT, L"tt h:mm:ss", {}}};
    for (Setting& setting : settings)
    {
        ASSERT_GT(::GetLocaleInfoW(LOCALE_USER_DEFAULT, setting.type, setting.szSaved, 80), 0);
        ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, setting.type, setting.pszValue));
    }
    SetHostsContent("127.0.0.1 x\r\n");
    CString folder = ExpectNewFolder(DataFolder() + "\\Tarnwick");
    CString backupPath;
    BOOL bMade = Backup(backupPath, COleDateTime(2008, 7, 1, 21, 42, 20));
    for (Setting& setting : settings)
        EXPECT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, setting.type, setting.szSaved));

    EXPECT_TRUE(bMade) << "error " << ::GetLastError();
    EXPECT_EQ(folder + "\\Hosts file backup on 7 1 2008    9 42 20", backupPath);
    EXPECT_EQ(std::string("127.0.0.1 x\r\n"), ReadAll(backupPath));
}

TEST_F(HostsFilesTest, BackupNowUsesTheCurrentTime)
{
    CString folder = ExpectNewFolder(DataFolder() + "\\Tarnwick");
    CString prefix = folder + "\\Hosts file backup on ";
    CString backupPath;
    BOOL bMade = CHostsFiles().BackupHostsFile(backupPath);
    if (bMade)
        ExpectNewFile(backupPath);
    EXPECT_TRUE(bMade);
    ASSERT_GT(backupPath.GetLength(), prefix.GetLength());
    EXPECT_EQ(prefix, backupPath.Left(prefix.GetLength()));
    // The current year, in an English (United States) date.
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CString year;
    year.Format(" %d ", now.wYear);
    EXPECT_GE(backupPath.Find(year), prefix.GetLength()) << backupPath.c_str();
    EXPECT_TRUE(FileExists(backupPath));
}

TEST_F(HostsFilesTest, MissingHostsFileGivesNoBackupAndTheSystemError)
{
    RemoveHostsFile();
    CString folder = ExpectNewFolder(DataFolder() + "\\Tarnwick");
    CString expected = folder + "\\Hosts file backup on 7 1 2008 9 42 20 PM";
    CString backupPath;
    ::SetLastError(0);
    EXPECT_FALSE(Backup(backupPath, COleDateTime(2008, 7, 1, 21, 42, 20)));
    EXPECT_EQ(2u, ::GetLastError());  // ERROR_FILE_NOT_FOUND
    EXPECT_EQ(expected, backupPath);
    EXPECT_FALSE(FileExists(expected));
}

TEST_F(HostsFilesTest, WithoutTheShellTheBackupGoesNextToTheExecutable)
{
    SetHostsContent("127.0.0.1 x\r\n");
    CShellApi::SetLibraryNameForTesting("tw-no-such-library.dll");
    CString folder = ExpectNewFolder(ModuleFolder() + "\\Tarnwick");
    CString expected = ExpectNewFile(folder + "\\Hosts file backup on 7 1 2008 9 42 20 PM");
    CString backupPath;
    EXPECT_TRUE(Backup(backupPath, COleDateTime(2008, 7, 1, 21, 42, 20)));
    EXPECT_EQ(expected, backupPath);
    EXPECT_EQ(std::string("127.0.0.1 x\r\n"), ReadAll(expected));
}
