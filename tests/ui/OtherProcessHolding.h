// Another process that holds a file open (tests/holder) until released, as
// an editor or a virus scanner would.
#pragma once

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

// Another process that holds a file open (tests/holder) until released.
class COtherProcessHolding
{
public:
    COtherProcessHolding() = default;
    COtherProcessHolding(const COtherProcessHolding&) = delete;
    COtherProcessHolding& operator=(const COtherProcessHolding&) = delete;
    ~COtherProcessHolding() { Release(); }

    // pszShare: "read" lets others read the file, "none" lets them do nothing.
    ::testing::AssertionResult Hold(const std::string& path, const char* pszShare)
    {
        static int s_nCount = 0;
        std::string suffix = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++s_nCount);
        std::string ready = "TarnwickHolderReady-" + suffix;
        std::string release = "TarnwickHolderRelease-" + suffix;
        m_hReady = ::CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
        m_hRelease = ::CreateEventA(nullptr, TRUE, FALSE, release.c_str());
        std::string exe = DosPath(TARNWICK_HOLDER_PATH);
        std::string commandLine =
            "\"" + exe + "\" " + pszShare + " \"" + path + "\" " + ready + " " + release;
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                              &si, &pi))
            return ::testing::AssertionFailure() << "cannot start " << exe << ": error " << ::GetLastError();
        ::CloseHandle(pi.hThread);
        m_hProcess = pi.hProcess;
        HANDLE waits[2] = {m_hReady, m_hProcess};
        DWORD dwWait = ::WaitForMultipleObjects(2, waits, FALSE, 20000);
        if (dwWait == WAIT_OBJECT_0)
            return ::testing::AssertionSuccess();
        DWORD dwExit = 0;
        ::GetExitCodeProcess(m_hProcess, &dwExit);
        return ::testing::AssertionFailure() << "the holder does not hold " << path << " (exit code " << dwExit
                                             << ")";
    }

    // Lets go of the file and waits for the holder to end; its exit code.
    DWORD Release()
    {
        DWORD dwExit = 0xFFFFFFFF;
        if (m_hRelease)
            ::SetEvent(m_hRelease);
        if (m_hProcess)
        {
            ::WaitForSingleObject(m_hProcess, 20000);
            ::GetExitCodeProcess(m_hProcess, &dwExit);
            ::CloseHandle(m_hProcess);
        }
        if (m_hRelease)
            ::CloseHandle(m_hRelease);
        if (m_hReady)
            ::CloseHandle(m_hReady);
        m_hProcess = m_hReady = m_hRelease = nullptr;
        return dwExit;
    }

private:
    HANDLE m_hProcess = nullptr;
    HANDLE m_hReady = nullptr;
    HANDLE m_hRelease = nullptr;
};
