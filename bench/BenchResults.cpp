#include "BenchResults.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>

CMemory ProcessMemory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    CMemory memory;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters)))
    {
        memory.dPeakWorkingSetMB = counters.PeakWorkingSetSize / 1048576.0;
        memory.dPeakPrivateMB = counters.PeakPagefileUsage / 1048576.0;
        memory.dPrivateMB = counters.PagefileUsage / 1048576.0;
    }
    return memory;
}

double CResults::Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void CResults::Print(int nFileLines, int nRows, const CMemory& start, const CMemory& afterWindows,
                     const CMemory& end) const
{
    std::printf("\n### %d-line hosts file (%d rows in the list)\n\n", nFileLines, nRows);
    std::printf("| Work | median (s) | min-max (s) | runs (s) |\n|---|---:|---:|---|\n");
    for (const Step& step : m_steps)
    {
        if (step.values.empty())
            continue;
        std::string runs;
        for (double d : step.values)
        {
            char sz[32];
            std::snprintf(sz, sizeof(sz), "%s%.3f", runs.empty() ? "" : " ", d);
            runs += sz;
        }
        std::printf("| %s | %.3f | %.3f-%.3f | %s |\n", step.label.c_str(), Median(step.values),
                    *std::min_element(step.values.begin(), step.values.end()),
                    *std::max_element(step.values.begin(), step.values.end()), runs.c_str());
    }
    std::printf("\nMemory of the process: peak working set %.1f MB over the window runs (%.1f MB at start, "
                "%.1f MB once the floor runs had followed); private bytes %.1f MB at start, at most %.1f MB after "
                "a step, %.1f MB at the end (Wine reports PeakPagefileUsage as the current value, %.1f MB).\n",
                afterWindows.dPeakWorkingSetMB, start.dPeakWorkingSetMB, end.dPeakWorkingSetMB, start.dPrivateMB,
                m_dMaxPrivateMB, end.dPrivateMB, end.dPeakPrivateMB);
    for (const std::string& failure : m_failures)
        std::printf("\nFAILED: %s\n", failure.c_str());
    std::fflush(stdout);
}

void CResults::WriteTsv(const char* pszPath, int nFileLines, double dFileMB, const CMemory& start,
                        const CMemory& afterWindows) const
{
    std::FILE* pFile = std::fopen(pszPath, "a");
    if (!pFile)
        return;
    for (const Step& step : m_steps)
        if (!step.values.empty())
            std::fprintf(pFile, "%d\t%s\t%s\t%.3f\t%.3f\t%.3f\n", nFileLines, step.key.c_str(),
                         step.label.c_str(), Median(step.values),
                         *std::min_element(step.values.begin(), step.values.end()),
                         *std::max_element(step.values.begin(), step.values.end()));
    std::fprintf(pFile, "%d\tpeak_ws\tPeak working set, window runs (MB)\t%.1f\t%.1f\t%.1f\n", nFileLines,
                 afterWindows.dPeakWorkingSetMB, afterWindows.dPeakWorkingSetMB, afterWindows.dPeakWorkingSetMB);
    std::fprintf(pFile, "%d\tpeak_private\tPrivate bytes, highest after a step (MB)\t%.1f\t%.1f\t%.1f\n",
                 nFileLines, m_dMaxPrivateMB, m_dMaxPrivateMB, m_dMaxPrivateMB);
    // Less what the process held before any window (Wine's own share), and
    // the file's size, to compare the two.
    double dAbove = m_dMaxPrivateMB - start.dPrivateMB;
    std::fprintf(pFile, "%d\tpeak_private_above\tPrivate bytes above start, highest after a step (MB)\t%.1f\t%.1f\t%.1f\n",
                 nFileLines, dAbove, dAbove, dAbove);
    if (m_dSampledPeakMB > 0)
    {
        double dSampledAbove = m_dSampledPeakMB - start.dPrivateMB;
        std::fprintf(pFile,
                     "%d\tpeak_private_sampled\tPrivate bytes above start, highest sampled every 5 ms (MB)\t%.1f\t%.1f\t%.1f\n",
                     nFileLines, dSampledAbove, dSampledAbove, dSampledAbove);
    }
    std::fprintf(pFile, "%d\tfile_size\tHosts file size (MB)\t%.1f\t%.1f\t%.1f\n", nFileLines, dFileMB, dFileMB,
                 dFileMB);
    std::fclose(pFile);
}

void CMemorySampler::Start()
{
    m_bStop = false;
    m_dPeakMB = ProcessMemory().dPrivateMB;
    m_dRecentMB = m_dPeakMB;
    m_hThread = ::CreateThread(nullptr, 0, &CMemorySampler::Run, this, 0, nullptr);
}

double CMemorySampler::Stop()
{
    if (m_hThread)
    {
        m_bStop = true;
        ::WaitForSingleObject(m_hThread, INFINITE);
        ::CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    return m_dPeakMB;
}

DWORD WINAPI CMemorySampler::Run(LPVOID pParameter)
{
    CMemorySampler* pThis = static_cast<CMemorySampler*>(pParameter);
    while (!pThis->m_bStop)
    {
        const double dNow = ProcessMemory().dPrivateMB;
        pThis->m_dPeakMB = std::max(pThis->m_dPeakMB, dNow);
        double dRecent = pThis->m_dRecentMB;
        while (dNow > dRecent && !pThis->m_dRecentMB.compare_exchange_weak(dRecent, dNow))
        {
        }
        ::Sleep(5);
    }
    return 0;
}

double CMemorySampler::TakeRecentPeak()
{
    return m_dRecentMB.exchange(ProcessMemory().dPrivateMB);
}
