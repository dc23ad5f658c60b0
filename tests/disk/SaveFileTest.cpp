#include "hosts/disk/SaveFile.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace
{
const std::string kOld = "127.0.0.1 old\r\n0.0.0.0 kept\r\n";
const std::string kNew = "# 127.0.0.1 old\r\n0.0.0.0 kept\r\n0.0.0.0 added\r\n";

HostsByteSource Bytes(const std::string& bytes)
{
    return [bytes](const HostsByteSink& sink) {
        // In two pieces, so that a save cut off half-way through its first
        // one leaves a part of the bytes.
        if (sink(bytes.data(), bytes.size() / 2))
            sink(bytes.data() + bytes.size() / 2, bytes.size() - bytes.size() / 2);
    };
}

CContentDigest DigestOf(const std::string& bytes)
{
    CContentHash hash;
    hash.Add(bytes.data(), bytes.size());
    return hash.Digest();
}

// The names in a folder, sorted.
std::vector<std::string> Names(const CString& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(folder + "\\*", &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
            if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..")
                names.push_back(data.cFileName);
        while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A hosts file in a folder of its own (as it is in drivers\etc) and a
// backup copy beside the folder.
class SaveHostsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_etc = m_folder.AddFolder("etc");
        m_hosts = m_folder.AddFile("etc\\hosts", kOld);
        m_backup = m_folder.AddFile("backup", kOld);
    }
    void TearDown() override { g_saveHookForTesting = CSaveHookForTesting(); }

    CSaveResult Save(const std::string& bytes = kNew, const CContentDigest& expected = DigestOf(kOld))
    {
        return SaveHostsFile(m_hosts, Bytes(bytes), expected);
    }
    std::vector<std::string> OnlyTheHostsFile() const { return {"hosts"}; }

    CTempFolder m_folder;
    CString m_etc;
    CString m_hosts;
    CString m_backup;
};
}

TEST_F(SaveHostsFileTest, WritesTheBytesAndGivesTheDigestOfWhatIsOnDisk)
{
    CSaveResult result = Save();
    EXPECT_TRUE(result.bSaved);
    EXPECT_FALSE(result.bNotHeld);
    EXPECT_EQ(kNew, ReadAll(m_hosts));
    CContentDigest onDisk;
    ASSERT_TRUE(DigestFile(m_hosts, onDisk));
    EXPECT_EQ(onDisk, result.written);
    EXPECT_EQ(kNew.size(), result.written.nSize);
    EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc));

    // A piece longer than the writer's block goes out on its own, and the
    // short pieces after it must still count whole.
    std::string longLine = "0.0.0.0 " + std::string(70000 - 8, 'x');
    result = SaveHostsFile(m_hosts,
                           [&](const HostsByteSink& sink) {
                               for (const std::string& piece : {std::string("# a\r\n"), longLine,
                                                                 std::string("\r"), std::string("\n"),
                                                                 std::string("# b")})
                                   sink(piece.data(), piece.size());
                           },
                           DigestOf(kNew));
    EXPECT_TRUE(result.bSaved);
    ASSERT_TRUE(DigestFile(m_hosts, onDisk));
    EXPECT_EQ(onDisk, result.written);
    EXPECT_EQ(70010u, result.written.nSize);
}

TEST_F(SaveHostsFileTest, StoppedAtAnyStepTheHostsFileIsOldOrNewWholeAndNothingOfOursStays)
{
    struct Case
    {
        SaveStep step;
        bool bKill;
        const std::string& expected;  // what the hosts file holds afterwards
        bool bSaved;
    };
    // A failed replace falls back to writing in place; a read-back that
    // fails cannot confirm the save.
    const Case cases[] = {
        {SaveStep::createNew, false, kOld, false}, {SaveStep::createNew, true, kOld, false},
        {SaveStep::writeNew, false, kOld, false},  {SaveStep::writeNew, true, kOld, false},
        {SaveStep::flushNew, false, kOld, false},  {SaveStep::flushNew, true, kOld, false},
        {SaveStep::check, false, kOld, false},     {SaveStep::check, true, kOld, false},
        {SaveStep::replace, false, kNew, true},    {SaveStep::replace, true, kOld, false},
        {SaveStep::readBack, false, kNew, true},   {SaveStep::readBack, true, kNew, true},
    };
    for (const Case& c : cases)
    {
        std::string where = "step " + std::to_string(static_cast<int>(c.step)) + (c.bKill ? " killed" : " failed");
        ASSERT_TRUE(WriteAll(m_hosts, kOld));
        g_saveHookForTesting.step = c.step;
        g_saveHookForTesting.bKill = c.bKill;
        g_saveHookForTesting.dwError = ERROR_WRITE_FAULT;
        CSaveResult result = Save();
        g_saveHookForTesting = CSaveHookForTesting();
        EXPECT_EQ(c.bSaved, result.bSaved) << where;
        EXPECT_EQ(c.expected, ReadAll(m_hosts)) << where;
        if (!c.bSaved && !c.bKill)
        {
            EXPECT_EQ(static_cast<DWORD>(ERROR_WRITE_FAULT), result.dwError) << where;
        }
        if (c.step == SaveStep::readBack && !c.bKill)
        {
            EXPECT_TRUE(result.bNotHeld) << where;
        }
        if (!c.bKill)
        {
            EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc)) << where;
            continue;
        }
        // What a killed save left behind goes with the next save.
        CSaveResult next = Save(kNew, DigestOf(c.expected));
        EXPECT_TRUE(next.bSaved) << where;
        EXPECT_EQ(kNew, ReadAll(m_hosts)) << where;
        EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc)) << where;
    }
    // A killed write leaves a file of ours, which the next save removed.
    g_saveHookForTesting.step = SaveStep::check;
    g_saveHookForTesting.bKill = true;
    ASSERT_TRUE(WriteAll(m_hosts, kOld));
    Save();
    g_saveHookForTesting = CSaveHookForTesting();
    EXPECT_EQ(2u, Names(m_etc).size());
    EXPECT_TRUE(Save().bSaved);
    EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc));
}

TEST_F(SaveHostsFileTest, NoMemoryWhileTheNewBytesAreWrittenLeavesTheHostsFileAsItWas)
{
    CSaveResult result = SaveHostsFile(m_hosts,
                                       [](const HostsByteSink& sink) {
                                           sink("# 127.0.0.1 old\r\n", 17);
                                           throw std::bad_alloc();
                                       },
                                       DigestOf(kOld));
    EXPECT_FALSE(result.bSaved);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), result.dwError);
    EXPECT_FALSE(result.bPutBackFailed);
    EXPECT_EQ(kOld, ReadAll(m_hosts));
    EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc));
}

TEST_F(SaveHostsFileTest, AFileThatNoLongerHoldsWhatWasExpectedIsNotReplaced)
{
    const std::string theirs = "127.0.0.1 old\r\n0.0.0.0 theirs\r\n";
    ASSERT_TRUE(WriteAll(m_hosts, theirs));
    CSaveResult result = Save();
    EXPECT_FALSE(result.bSaved);
    EXPECT_TRUE(result.bChangedMeanwhile);
    EXPECT_EQ(DigestOf(theirs), result.found);
    EXPECT_EQ(theirs, ReadAll(m_hosts));
    EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc));

    // Also when the file is written in place.
    CString link = m_folder / "link";
    ASSERT_TRUE(::CreateHardLinkA(link, m_hosts, nullptr));
    result = Save();
    EXPECT_TRUE(result.bChangedMeanwhile);
    EXPECT_EQ(theirs, ReadAll(m_hosts));
}

TEST_F(SaveHostsFileTest, AFileWithAnotherNameIsWrittenInPlaceAndPutBackWhenTheWriteFails)
{
    // Replacing the file would leave the other name with the old bytes.
    CString link = m_folder / "link";
    ASSERT_TRUE(::CreateHardLinkA(link, m_hosts, nullptr));
    CSaveResult result = Save();
    EXPECT_TRUE(result.bSaved);
    EXPECT_EQ(kNew, ReadAll(m_hosts));
    EXPECT_EQ(kNew, ReadAll(link));

    // Cut off half-way, the bytes the file held just before go back, from
    // memory; the backup copy is not needed (and may have changed).
    ASSERT_TRUE(WriteAll(m_backup, "not what the hosts file held\r\n"));
    const std::string longer = kNew + std::string(5000, '#') + "\r\n";
    g_saveHookForTesting.step = SaveStep::writeInPlace;
    g_saveHookForTesting.dwError = ERROR_DISK_FULL;
    result = Save(longer, DigestOf(kNew));
    EXPECT_FALSE(result.bSaved);
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), result.dwError);
    EXPECT_FALSE(result.bPutBackFailed);
    EXPECT_EQ(kNew, ReadAll(link));

    // When even that fails, the caller is told.
    g_saveHookForTesting.step = SaveStep::putBack;
    result = Save(kOld, DigestOf(kNew));
    EXPECT_FALSE(result.bSaved);
    EXPECT_TRUE(result.bPutBackFailed);
    EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc));
}

TEST_F(SaveHostsFileTest, AFileHeldOpenByAnotherProgramIsWrittenInPlace)
{
    // Wine will not replace a file that any handle holds open (Windows, one
    // whose opener did not allow deleting): the bytes go in place.
    HANDLE hOther = ::CreateFileA(m_hosts, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hOther);
    CSaveResult result = Save();
    ::CloseHandle(hOther);
    EXPECT_TRUE(result.bSaved);
    EXPECT_EQ(kNew, ReadAll(m_hosts));
    EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc));
}

TEST_F(SaveHostsFileTest, ReadOnlyHiddenAndSystemAttributesStay)
{
    for (DWORD dwAttributes : {DWORD(FILE_ATTRIBUTE_READONLY), DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                               DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)})
    {
        ::SetFileAttributesA(m_hosts, FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteAll(m_hosts, kOld));
        ASSERT_TRUE(::SetFileAttributesA(m_hosts, dwAttributes));
        CSaveResult result = Save();
        EXPECT_TRUE(result.bSaved) << dwAttributes;
        EXPECT_EQ(kNew, ReadAll(m_hosts)) << dwAttributes;
        const DWORD dwKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        EXPECT_EQ(dwAttributes, ::GetFileAttributesA(m_hosts) & dwKept) << dwAttributes;

        // And after a save that fails.
        g_saveHookForTesting.step = SaveStep::flushNew;
        result = Save(kOld, DigestOf(kNew));
        g_saveHookForTesting = CSaveHookForTesting();
        EXPECT_FALSE(result.bSaved);
        EXPECT_EQ(dwAttributes, ::GetFileAttributesA(m_hosts) & dwKept) << dwAttributes;
    }
    ::SetFileAttributesA(m_hosts, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SaveHostsFileTest, AReadOnlyFileRenamedAsideIsPutBackByTheSaveAfterAKillAndByItsOwnFailure)
{
    const DWORD dwKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(::SetFileAttributesA(m_hosts, dwKept));
    g_saveHookForTesting.step = SaveStep::moveNew;
    g_saveHookForTesting.bKill = true;
    Save();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(m_hosts)) << "killed between the renames";
    EXPECT_EQ(2u, Names(m_etc).size());

    // The next save puts the old file back before anything else, and goes on.
    g_saveHookForTesting.bKill = false;
    CSaveResult result = Save();
    EXPECT_TRUE(result.bSaved) << "written in place when the second rename fails";
    EXPECT_EQ(kNew, ReadAll(m_hosts));
    EXPECT_EQ(dwKept, ::GetFileAttributesA(m_hosts) & dwKept);
    EXPECT_EQ(OnlyTheHostsFile(), Names(m_etc));
    ::SetFileAttributesA(m_hosts, FILE_ATTRIBUTE_NORMAL);
}
