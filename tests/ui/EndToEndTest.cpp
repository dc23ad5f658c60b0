// The real tarnwick.exe as its own process, driven from outside as a user
// would: rows are read and selected through the list control, buttons and
// menu items pressed, message boxes read and answered.
#include "res/resource.h"
#include "WindowTest.h"

#include <commctrl.h>

namespace
{
// A list control of another process: messages that carry pointers need the
// memory on the other side.
class RemoteList
{
public:
    RemoteList(HANDLE hProcess, HWND hList) : m_hProcess(hProcess), m_hList(hList)
    {
        m_pRemote = static_cast<char*>(
            ::VirtualAllocEx(hProcess, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteList()
    {
        if (m_pRemote)
            ::VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
    }

    int RowCount() const { return UiDriver::RowCount(m_hList); }

    std::string Cell(int nRow, int nColumn) const
    {
        LVITEMA item = {};
        item.iSubItem = nColumn;
        item.pszText = m_pRemote + sizeof(LVITEMA);
        item.cchTextMax = kSize - sizeof(LVITEMA);
        ::WriteProcessMemory(m_hProcess, m_pRemote, &item, sizeof(item), nullptr);
        int nLength = static_cast<int>(
            ::SendMessageA(m_hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(m_pRemote)));
        std::string text(static_cast<size_t>(nLength), '\0');
        ::ReadProcessMemory(m_hProcess, m_pRemote + sizeof(LVITEMA), &text[0], text.size(), nullptr);
        return text;
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (int n = 0; n < RowCount(); ++n)
            texts.push_back(Cell(n, 1));
        return texts;
    }

    void Select(int nRow)
    {
        SetState(-1, 0);
        SetState(nRow, LVIS_SELECTED | LVIS_FOCUSED);
    }

private:
    void SetState(int nRow, UINT nState)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = nState;
        ::WriteProcessMemory(m_hProcess, m_pRemote, &item, sizeof(item), nullptr);
        ::SendMessageA(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(m_pRemote));
    }

    static const int kSize = 8192;
    HANDLE m_hProcess;
    HWND m_hList;
    char* m_pRemote;
};

// A program of this build started as its own process; ended by the
// destructor if a test leaves it running.
class Program
{
public:
    explicit Program(const std::string& exePath, const std::string& arguments = "") : m_pi()
    {
        std::string line = "\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
        std::vector<char> commandLine(line.begin(), line.end());
        commandLine.push_back('\0');
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        m_bStarted = ::CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &si, &m_pi) != FALSE;
    }
    ~Program()
    {
        if (!m_bStarted)
            return;
        if (::WaitForSingleObject(m_pi.hProcess, 0) != WAIT_OBJECT_0)
            ::TerminateProcess(m_pi.hProcess, 1);
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return m_bStarted; }
    HANDLE Process() const { return m_pi.hProcess; }
    DWORD ThreadId() const { return m_pi.dwThreadId; }

    // Waits up to ten seconds for the process to end: its exit code, or
    // STILL_ACTIVE when it is still running.
    DWORD WaitForExit() const
    {
        DWORD dwExitCode = STILL_ACTIVE;
        if (::WaitForSingleObject(m_pi.hProcess, 10000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(m_pi.hProcess, &dwExitCode);
        return dwExitCode;
    }

private:
    PROCESS_INFORMATION m_pi;
    bool m_bStarted;
};

// Wine's load order of one DLL for the programs of these names:
// "native,builtin" takes a copy of the DLL in the program's folder before
// Wine's own, which is what Windows does for every DLL it does not protect.
// WINEDLLOVERRIDES says the same, but Wine gives a process the value from
// the Linux side, not one its parent sets; the prefix's registry reaches it.
// Removed again at the end.
class NativeFirstLoadOrder
{
public:
    NativeFirstLoadOrder(const std::vector<std::string>& programs, const char* pszDll) : m_programs(programs)
    {
        static const char kNativeFirst[] = "native,builtin";
        for (const std::string& program : m_programs)
        {
            HKEY hKey = nullptr;
            if (::RegCreateKeyExA(HKEY_CURRENT_USER, (Key(program) + "\\DllOverrides").c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
                continue;
            ::RegSetValueExA(hKey, pszDll, 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst),
                             sizeof(kNativeFirst));
            ::RegCloseKey(hKey);
        }
    }
    ~NativeFirstLoadOrder()
    {
        for (const std::string& program : m_programs)
        {
            ::RegDeleteKeyA(HKEY_CURRENT_USER, (Key(program) + "\\DllOverrides").c_str());
            ::RegDeleteKeyA(HKEY_CURRENT_USER, Key(program).c_str());
        }
    }
    NativeFirstLoadOrder(const NativeFirstLoadOrder&) = delete;
    NativeFirstLoadOrder& operator=(const NativeFirstLoadOrder&) = delete;

private:
    static std::string Key(const std::string& program) { return "Software\\Wine\\AppDefaults\\" + program; }

    std::vector<std::string> m_programs;
};

std::string BackupPathIn(const std::string& confirmation)
{
    std::string prefix = "Current Hosts File Backed Up Successfully as [";
    std::string::size_type end = confirmation.find("].\n");
    if (confirmation.compare(0, prefix.size(), prefix) != 0 || end == std::string::npos)
        return "";
    return confirmation.substr(prefix.size(), end - prefix.size());
}

// Saves: confirms the backup and acknowledges the success; returns the
// backup's path.
std::string SaveThroughTheWindow(UiDriver& driver, HWND hMain)
{
    driver.Command(hMain, IDC_SAVE_CHANGES);
    MessageBoxSeen confirm = driver.WaitForMessageBox();
    std::string backup = BackupPathIn(confirm.text);
    EXPECT_FALSE(backup.empty()) << confirm.text;
    driver.Answer(confirm, IDYES);
    MessageBoxSeen done = driver.WaitForMessageBox();
    EXPECT_EQ("Changes have been saved successfully.", done.text);
    driver.Answer(done, IDOK);
    return backup;
}
}

class EndToEndTest : public WindowTest
{
};

TEST_F(EndToEndTest, CommentAddSaveRestoreAndSaveAgainInTheRealProgram)
{
    const std::string original = "# header\r\n127.0.0.1 a.example\r\n127.0.0.1 b.example\r\n";
    SetHosts(original);

    Program program(DosPath(TARNWICK_EXE_PATH));
    ASSERT_TRUE(program.Started()) << TARNWICK_EXE_PATH;
    UiDriver driver(program.ThreadId());
    HWND hMain = driver.WaitForDialog("Tarnwick");
    ASSERT_NE(nullptr, hMain) << "the program's window did not open";
    RemoteList list(program.Process(), ::GetDlgItem(hMain, IDC_HOSTS_LIST));
    EXPECT_EQ((std::vector<std::string>{"# header", "127.0.0.1 a.example", "127.0.0.1 b.example"}), list.Texts());
    EXPECT_EQ("Active", list.Cell(1, 2));

    // Comment a line.
    list.Select(1);
    driver.Command(hMain, IDC_COMMENT_SELECTED);
    EXPECT_TRUE(UiDriver::WaitUntil([&]() { return list.Cell(1, 1) == "# 127.0.0.1 a.example"; }))
        << list.Cell(1, 1);
    EXPECT_EQ("Commented", list.Cell(1, 2));

    // Add an entry.
    driver.Command(hMain, IDC_ADD_NEW_ENTRY);
    HWND hEntry = driver.WaitForDialog("Hosts File Entry");
    ASSERT_NE(nullptr, hEntry);
    ::SendMessageA(::GetDlgItem(hEntry, IDC_ENTRY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ads.example"));
    driver.Command(hEntry, IDOK);
    ASSERT_TRUE(UiDriver::WaitUntil([&]() { return list.RowCount() == 4; }));
    EXPECT_EQ("4", list.Cell(3, 0));
    EXPECT_EQ("127.0.0.1 ads.example", list.Cell(3, 1));

    // Save and confirm.
    const std::string edited = "# header\r\n# 127.0.0.1 a.example\r\n127.0.0.1 b.example\r\n127.0.0.1 ads.example\r\n";
    std::string firstBackup = SaveThroughTheWindow(driver, hMain);
    EXPECT_EQ(edited, ReadBytes(SystemHostsPath()));
    ASSERT_EQ(1u, BackupFileNames().size());
    EXPECT_EQ(BackupFolderPath() + "\\" + BackupFileNames()[0], firstBackup);
    EXPECT_EQ(original, ReadBytes(firstBackup));

    // Restore that backup and save again. Backup names carry the second, so
    // the second save waits for the next one.
    driver.Command(hMain, ID_FILE_RESTORE);
    HWND hRestore = driver.WaitForDialog("Restore From Saved / Backed Up Hosts File");
    ASSERT_NE(nullptr, hRestore);
    RemoteList backups(program.Process(), ::GetDlgItem(hRestore, IDC_BACKUP_LIST));
    ASSERT_EQ(1, backups.RowCount());
    EXPECT_EQ(BackupFileNames()[0], backups.Cell(0, 1));
    backups.Select(0);
    driver.Command(hRestore, IDC_RESTORE);
    MessageBoxSeen loading = driver.WaitForMessageBox();
    EXPECT_EQ("The Selected Old Hosts File will now be loaded into the main screen.\n"
              "You can complete the Restore by Pressing Save Changes Button on the main screen.",
              loading.text);
    driver.Answer(loading, IDOK);
    EXPECT_TRUE(UiDriver::WaitUntil([&]() { return list.RowCount() == 3; }));
    EXPECT_EQ((std::vector<std::string>{"# header", "127.0.0.1 a.example", "127.0.0.1 b.example"}), list.Texts());
    EXPECT_EQ(edited, ReadBytes(SystemHostsPath())) << "loading a backup writes nothing yet";

    ::Sleep(1100);
    std::string secondBackup = SaveThroughTheWindow(driver, hMain);
    EXPECT_EQ(original, ReadBytes(SystemHostsPath()));
    std::vector<std::string> names = BackupFileNames();
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ(original, ReadBytes(firstBackup));
    EXPECT_NE(firstBackup, secondBackup);
    EXPECT_EQ(edited, ReadBytes(secondBackup));

    // Exit: saved, so no question; the process ends.
    driver.Command(hMain, ID_FILE_EXIT);
    EXPECT_EQ(0u, program.WaitForExit());
    EXPECT_EQ(0u, ReadRunValue());
}

TEST_F(EndToEndTest, ADllPlantedBesideTheProgramNeverRunsInIt)
{
    // A folder like Downloads, where a web page can leave a file named like a
    // DLL: a copy of the program beside a comctl32.dll that writes the path of
    // whatever program loads it to "planted-dll-ran".
    const std::string folder = DosPath(TARNWICK_SCRATCH_FOLDER);
    const std::string marker = folder + "\\planted-dll-ran";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA(DosPath(TARNWICK_EXE_PATH).c_str(), (folder + "\\tarnwick.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA(DosPath(TARNWICK_PLANTED_DLL_PATH).c_str(), (folder + "\\comctl32.dll").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA(DosPath(TARNWICK_BARE_LOAD_PATH).c_str(), (folder + "\\bare_load.exe").c_str(), FALSE));
    ::DeleteFileA(marker.c_str());
    NativeFirstLoadOrder loadOrder({"tarnwick.exe", "bare_load.exe"}, "comctl32");

    // The trap works: a program there that loads comctl32.dll by its bare
    // name runs the planted copy.
    {
        Program control(folder + "\\bare_load.exe", "comctl32.dll");
        ASSERT_TRUE(control.Started());
        EXPECT_EQ(0u, control.WaitForExit());
        ASSERT_TRUE(FileExists(marker)) << "the planted DLL did not load even by its bare name";
        ::DeleteFileA(marker.c_str());
    }

    // The program opens, backs up the hosts file and exits, and the planted
    // DLL never runs in it.
    SetHosts("127.0.0.1 a.example\r\n");
    Program program(folder + "\\tarnwick.exe");
    ASSERT_TRUE(program.Started());
    UiDriver driver(program.ThreadId());
    HWND hMain = driver.WaitForDialog("Tarnwick");
    EXPECT_FALSE(FileExists(marker)) << "the planted DLL ran in " << ReadBytes(marker) << " before its window opened";
    ASSERT_NE(nullptr, hMain) << "the program's window did not open";

    driver.Command(hMain, ID_FILE_BACKUP_NOW);
    MessageBoxSeen box = driver.WaitForMessageBox();
    std::vector<std::string> names = BackupFileNames();
    ASSERT_EQ(1u, names.size());
    std::string backup = BackupFolderPath() + "\\" + names[0];
    EXPECT_EQ("Current Hosts File Backed Up Successfully as [" + backup + "].", box.text);
    driver.Answer(box, IDOK);
    EXPECT_EQ("127.0.0.1 a.example\r\n", ReadBytes(backup));

    driver.Command(hMain, ID_FILE_EXIT);
    EXPECT_EQ(0u, program.WaitForExit());
    EXPECT_FALSE(FileExists(marker)) << "the planted DLL ran in " << ReadBytes(marker);
}
