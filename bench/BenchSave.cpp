#include "BenchSave.h"

#include <cstring>

#include "res/resource.h"

namespace
{
const char kBackedUpPrefix[] = "Current Hosts File Backed Up Successfully as [";
const char kSaved[] = "Changes have been saved successfully.";
const double kStepTimeout = 600.0;
}

double Seconds()
{
    static const double s_dFrequency = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / s_dFrequency;
}

bool WaitUntil(const std::function<bool()>& pred, double dTimeout)
{
    for (double dEnd = Seconds() + dTimeout; !pred(); ::Sleep(1))
        if (Seconds() > dEnd)
            return false;
    return true;
}

HWND FindDialog(UiDriver& driver, const char* pszCaption, bool bWithMenu)
{
    for (HWND hWnd : driver.Windows())
    {
        char szText[512] = "";
        ::GetWindowTextA(hWnd, szText, sizeof(szText));
        if (std::strcmp(szText, pszCaption) == 0 && (::GetMenu(hWnd) != nullptr) == bWithMenu)
            return hWnd;
    }
    return nullptr;
}

MessageBoxSeen WaitForBox(UiDriver& driver, HWND hNot)
{
    MessageBoxSeen box;
    for (double dEnd = Seconds() + kStepTimeout; Seconds() <= dEnd; ::Sleep(1))
    {
        if (driver.NoMessageBox())
            continue;
        box = driver.WaitForMessageBox(0);
        if (box.hWnd != nullptr && box.hWnd != hNot)
            return box;
    }
    return MessageBoxSeen();
}

bool TimeSave(UiDriver& driver, HWND hMain, const std::function<bool(bool, const std::string&)>& check,
              CSaveTimes& times)
{
    double dStart = Seconds();
    driver.Command(hMain, IDC_SAVE_CHANGES);
    MessageBoxSeen question = WaitForBox(driver);
    double dAsked = Seconds();
    if (!check(question.text.compare(0, sizeof(kBackedUpPrefix) - 1, kBackedUpPrefix) == 0,
               "save asked: " + question.text))
        return false;
    size_t nOpen = question.text.find('[');
    size_t nClose = question.text.find(']');
    std::string backupPath = question.text.substr(nOpen + 1, nClose - nOpen - 1);
    double dYes = Seconds();
    driver.Command(question.hWnd, IDYES);
    MessageBoxSeen note = WaitForBox(driver, question.hWnd);
    double dSaved = Seconds();
    times.dTotal = dSaved - dStart;
    times.dBackup = dAsked - dStart;
    times.dWrite = dSaved - dYes;
    check(note.text == kSaved, "save said: " + note.text);
    driver.Answer(note, IDOK);
    ::DeleteFileA(backupPath.c_str());
    return true;
}
