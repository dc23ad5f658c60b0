#include "hosts/disk/FolderWalker.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
using Events = std::vector<std::string>;

// Records the hooks as "file <path>" and "done <folder>", with the walked
// root written as "R".
class CRecordingWalker : public CFolderWalker
{
public:
    explicit CRecordingWalker(const CString& root) : m_root(root) {}

    void OnFile(const CString& path) override { m_events.push_back("file " + Relative(path)); }
    void OnFolderDone(const CString& folder) override { m_events.push_back("done " + Relative(folder)); }

    std::vector<std::string> Files() const
    {
        std::vector<std::string> files;
        for (const std::string& event : m_events)
            if (event.compare(0, 5, "file ") == 0)
                files.push_back(event.substr(5));
        std::sort(files.begin(), files.end());
        return files;
    }

    Events m_events;

protected:
    std::string Relative(const CString& path) const
    {
        if (path.Left(m_root.GetLength()) == m_root)
            return "R" + std::string(path.Mid(m_root.GetLength()).c_str());
        return path.c_str();
    }

    CString m_root;
};

// Also records every call of Walk, to show that sub-folders go through it.
class CWalkRecordingWalker : public CRecordingWalker
{
public:
    using CRecordingWalker::CRecordingWalker;
    void Walk(const CString& folder, const CString& patterns, bool recurse) override
    {
        m_events.push_back("walk " + Relative(folder));
        CFolderWalker::Walk(folder, patterns, recurse);
    }
};

// Whether the events are one of the orders the enumeration may produce.
::testing::AssertionResult IsOneOf(const Events& events, const std::vector<Events>& orders)
{
    if (std::find(orders.begin(), orders.end(), events) != orders.end())
        return ::testing::AssertionSuccess();
    std::string text;
    for (const std::string& event : events)
        text += "\n  " + event;
    return ::testing::AssertionFailure() << "unexpected events:" << text;
}

// A tree holding the file 'x' and the folder 'old' with the file 'y'.
class FolderWalkerTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_tree.AddFile("x");
        m_tree.AddFolder("old");
        m_tree.AddFile("old\\y");
    }
    CTempFolder m_tree;
};
}

TEST_F(FolderWalkerTree, RecursiveWalkReportsFilesDepthFirstAndFoldersWhenDone)
{
    CRecordingWalker walker(m_tree.Path());
    walker.Walk(m_tree.Path(), "*.*", true);
    EXPECT_TRUE(IsOneOf(walker.m_events, {
        {"file R\\x", "file R\\old\\y", "done R\\old", "done R"},
        {"file R\\old\\y", "done R\\old", "file R\\x", "done R"},
    }));
}

TEST_F(FolderWalkerTree, FlatWalkReportsSubFoldersLikeFiles)
{
    CRecordingWalker walker(m_tree.Path());
    walker.Walk(m_tree.Path(), "*.*", false);
    EXPECT_TRUE(IsOneOf(walker.m_events, {
        {"file R\\x", "file R\\old", "done R"},
        {"file R\\old", "file R\\x", "done R"},
    }));
}

TEST_F(FolderWalkerTree, FlatWalkFiltersSubFoldersByTheirNames)
{
    m_tree.AddFolder("logs.old");
    CRecordingWalker walker(m_tree.Path());
    walker.Walk(m_tree.Path(), "old", false);
    EXPECT_EQ(std::vector<std::string>({"R\\logs.old"}), walker.Files());
}

TEST_F(FolderWalkerTree, SubFoldersAreWalkedThroughTheVirtualWalk)
{
    CWalkRecordingWalker walker(m_tree.Path());
    walker.Walk(m_tree.Path(), "*.*", true);
    EXPECT_TRUE(IsOneOf(walker.m_events, {
        {"walk R", "file R\\x", "walk R\\old", "file R\\old\\y", "done R\\old", "done R"},
        {"walk R", "walk R\\old", "file R\\old\\y", "done R\\old", "file R\\x", "done R"},
    }));
}

TEST(FolderWalker, MissingFolderGivesOnlyItsFolderDone)
{
    CTempFolder folder;
    CString missing = folder / "missing";
    CRecordingWalker walker(folder.Path());
    walker.Walk(missing, "*.*", true);
    EXPECT_EQ(Events({"done R\\missing"}), walker.m_events);
}

TEST(FolderWalker, HiddenFilesAreReported)
{
    CTempFolder folder;
    CString path = folder.AddFile("h.txt");
    ASSERT_TRUE(::SetFileAttributesA(path, FILE_ATTRIBUTE_HIDDEN));
    CRecordingWalker walker(folder.Path());
    walker.Walk(folder.Path(), "*.*", false);
    EXPECT_EQ(Events({"file R\\h.txt", "done R"}), walker.m_events);
}

TEST(FolderWalker, PatternListsSelectFilesByExtension)
{
    CTempFolder folder;
    folder.AddFile("a.txt");
    folder.AddFile("b.TXT");
    folder.AddFile("c.log");

    struct Case
    {
        const char* pszPatterns;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"*.txt", {"R\\a.txt", "R\\b.TXT"}},
        {"txt,log", {"R\\a.txt", "R\\b.TXT", "R\\c.log"}},
        {"*.log, *.*", {"R\\c.log"}},
        {"*.*", {"R\\a.txt", "R\\b.TXT", "R\\c.log"}},
        {",,", {}},
        {"", {}},
    };
    for (const Case& c : cases)
    {
        CRecordingWalker walker(folder.Path());
        walker.Walk(folder.Path(), c.pszPatterns, true);
        EXPECT_EQ(c.files, walker.Files()) << "patterns '" << c.pszPatterns << "'";
        EXPECT_EQ("done R", walker.m_events.back());
    }
}

TEST(FolderWalker, FolderLinksAreNotFollowed)
{
    // Windows APIs cannot make a link here: under Wine, CreateSymbolicLinkA
    // succeeds without doing anything and junctions are not supported. A Linux
    // symbolic link inside the prefix is seen as a folder link.
    CTempFolder folder;
    folder.AddFolder("d");
    folder.AddFile("d\\f.txt");
    std::string unixFolder = UnixPathOf(folder / "d");
    if (unixFolder.empty())
        GTEST_SKIP() << "needs Wine";
    CString link = folder / "d\\loop";
    ASSERT_TRUE(StartLinuxCommand("Z:\\bin\\ln -s .. " + unixFolder + "/loop"));
    ASSERT_TRUE(WaitFor([&] { return ::GetFileAttributesA(link) != INVALID_FILE_ATTRIBUTES; }));
    ASSERT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              ::GetFileAttributesA(link) & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));

    // Recursive: the link, which leads back to the root, is neither walked
    // nor reported.
    CRecordingWalker walker(folder.Path());
    walker.Walk(folder.Path(), "*.*", true);
    EXPECT_EQ(Events({"file R\\d\\f.txt", "done R\\d", "done R"}), walker.m_events);

    // Flat: it is filtered and reported like any sub-folder.
    CRecordingWalker flat(folder.Path());
    flat.Walk(folder / "d", "*.*", false);
    EXPECT_EQ(std::vector<std::string>({"R\\d\\f.txt", "R\\d\\loop"}), flat.Files());
}
