// The benchmark's results: each step's timings over the runs, failed checks,
// and the process's memory, printed as a table and written for
// scripts/bench.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

// Wine fills PeakPagefileUsage with the current private bytes (anonymous
// resident memory), so the peak of private bytes is sampled after every step
// instead; PeakWorkingSetSize is a true peak (the kernel's resident high-water
// mark).
struct CMemory
{
    double dPeakWorkingSetMB = 0;
    double dPeakPrivateMB = 0;
    double dPrivateMB = 0;
};

// The process's memory now.
CMemory ProcessMemory();

// Timings of every run, by step, in the order the steps first ran.
class CResults
{
public:
    void Add(const std::string& key, const std::string& label, double dSeconds)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (Step& step : m_steps)
            if (step.key == key)
            {
                step.values.push_back(dSeconds);
                return;
            }
        m_steps.push_back(Step{key, label, {dSeconds}});
    }

    // Fixes a step's place in the table before its first timing.
    void Declare(const std::string& key, const std::string& label)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_steps.push_back(Step{key, label, {}});
    }

    void Fail(const std::string& what)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failures.push_back(what);
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        std::fflush(stderr);
    }
    bool Failed() const { return !m_failures.empty(); }

    // The highest private bytes the sampler saw during the window runs.
    void SetSampledPeak(double dPrivateMB) { m_dSampledPeakMB = dPrivateMB; }

    void SamplePrivateBytes(double dPrivateMB)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (dPrivateMB > m_dMaxPrivateMB)
            m_dMaxPrivateMB = dPrivateMB;
    }

    void Print(int nFileLines, int nRows, const CMemory& start, const CMemory& afterWindows,
               const CMemory& end) const;
    // Appends "lines, key, label, median, min, max" rows for scripts/bench.
    void WriteTsv(const char* pszPath, int nFileLines, double dFileMB, const CMemory& start,
                  const CMemory& afterWindows) const;

private:
    struct Step
    {
        std::string key;
        std::string label;
        std::vector<double> values;
    };
    static double Median(std::vector<double> values);

    std::vector<Step> m_steps;
    std::vector<std::string> m_failures;
    double m_dMaxPrivateMB = 0;
    double m_dSampledPeakMB = 0;
    mutable std::mutex m_mutex;
};

// A thread that looks at the process's private bytes every few milliseconds
// between Start and Stop, for the peaks inside a step (the matching of two
// versions of a file, say), which a look after each step misses.
class CMemorySampler
{
public:
    void Start();
    // The highest private bytes seen (MB).
    double Stop();
    // The highest private bytes seen since the last call (MB).
    double TakeRecentPeak();

private:
    static DWORD WINAPI Run(LPVOID pParameter);

    HANDLE m_hThread = nullptr;
    std::atomic<bool> m_bStop{false};
    double m_dPeakMB = 0;
    std::atomic<double> m_dRecentMB{0};
};
