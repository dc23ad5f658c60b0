// Any bytes as a loaded file followed by a script of commands, each one step
// of the history: appends, comments and uncomments of a row or of every row,
// edits, removals, rows put in anywhere, steps given up, undos, redos and
// saves. The entry list holds exactly what a plain model holds (each row a
// text and the line of the file as last saved it is, if any; the history
// copies of the rows), each row's status agrees with its text, HasChanges
// tells whether the rows are that file's lines, the store holds nothing but
// the files saved and the texts given, and what a save would write is the
// model's: each line a row still is with its text in place of the old one,
// the line of a row removed gone whole, a row the file does not hold right
// after the line before it, ended as that line is, or after the last line
// and the blank lines after it, before a Ctrl-Z. FollowsBlankLine says where
// those bytes hold a blank line between rows. Undoing every step gives the
// rows as loaded, and the file's bytes when nothing was saved. Saved
// unchanged, the file comes back byte for byte; commenting one row changes
// its line alone, by the mark, and uncommenting it again gives the file back.
#include "FuzzCheck.h"
#include "hosts/document/EntryList.h"
#include "hosts/lines/CommentRules.h"
#include "hosts/lines/LineScan.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

bool ModelCommented(const std::string& text)
{
    size_t n = 0;
    while (n < text.size() && IsWhite(text[n]))
        ++n;
    return n < text.size() && text[n] == '#';
}

std::string ModelUncommented(const std::string& text)
{
    size_t n = 1;
    while (n < text.size() && IsWhite(text[n]))
        ++n;
    return text.size() < n ? std::string() : text.substr(n);
}

// Reads the input as a script.
class CScript
{
public:
    CScript(const uint8_t* pData, size_t nSize) : m_p(pData), m_pEnd(pData + nSize) {}
    bool More() const { return m_p < m_pEnd; }
    unsigned Byte() { return m_p < m_pEnd ? *m_p++ : 0; }
    // A text: a length byte, then that many bytes, repeated 1 to 64 times,
    // so that a few inputs can move enough bytes to make the store pack.
    std::string Text()
    {
        size_t nLength = Byte() % 32;
        size_t nRepeat = 1 + Byte() % 64;
        std::string piece;
        while (piece.size() < nLength && m_p < m_pEnd)
            piece += static_cast<char>(*m_p++);
        std::string text;
        for (size_t n = 0; n < nRepeat; ++n)
            text += piece;
        return text;
    }

private:
    const uint8_t* m_p;
    const uint8_t* m_pEnd;
};

std::string Saved(const CEntryList& list)
{
    std::string bytes;
    list.ForEachPiece([&](const char* pch, size_t nLength) {
        FUZZ_CHECK(nLength > 0, "no empty pieces", "");
        bytes.append(pch, nLength);
        return true;
    });
    return bytes;
}

// A row of the model: its text, and which line of the file it is (-1: none).
struct CRow
{
    std::string text;
    long nLine;
};
using Rows = std::vector<CRow>;

// The file as last loaded or saved, and where its lines are.
struct CFileLines
{
    std::string bytes;
    std::vector<std::pair<size_t, size_t>> ranges;  // start and length of each line's text
    size_t nTextStart = 0;                           // after a byte-order mark
    size_t nTextEnd = 0;                             // a Ctrl-Z or the end

    // As the reading rules find them.
    explicit CFileLines(const std::string& file) : bytes(file)
    {
        ScanHostsLineRanges(file.data(), file.size(),
                            [this](size_t nStart, size_t nLength) { ranges.emplace_back(nStart, nLength); });
        nTextStart = file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        nTextEnd = std::min(file.find('\x1A'), file.size());
    }
    size_t TextEnd(size_t n) const { return ranges[n].first + ranges[n].second; }
    // Where line n's indentation starts, after the last line feed before its
    // text, and where the line ends, after its own line feed.
    size_t LineStart(size_t n) const
    {
        const size_t nFrom = n == 0 ? nTextStart : TextEnd(n - 1);
        size_t nAt = ranges[n].first;
        while (nAt > nFrom && bytes[nAt - 1] != '\n')
            --nAt;
        return nAt;
    }
    size_t LineEnd(size_t n) const
    {
        const size_t nTo = n + 1 < ranges.size() ? ranges[n + 1].first : nTextEnd;
        const size_t nLf = bytes.find('\n', TextEnd(n));
        return nLf < nTo ? nLf + 1 : nTo;
    }
    // The blank lines before line n, or after the last line.
    std::string Gap(size_t n) const
    {
        const size_t nFrom = n == 0 ? nTextStart : LineEnd(n - 1);
        return bytes.substr(nFrom, (n == ranges.size() ? nTextEnd : LineStart(n)) - nFrom);
    }
    bool IsLines(const Rows& rows) const
    {
        for (size_t n = 0; n < rows.size(); ++n)
            if (rows[n].nLine != static_cast<long>(n) ||
                rows[n].text != bytes.substr(ranges[n].first, ranges[n].second))
                return false;
        return rows.size() == ranges.size();
    }

    // What a save of these rows should write; pAt gets where each text is.
    std::string Written(const Rows& rows, std::vector<size_t>* pAt) const
    {
        size_t nAfterLines = 0;
        for (size_t n = 0; n < rows.size(); ++n)
            if (rows[n].nLine >= 0)
                nAfterLines = n + 1;
        std::string out = bytes.substr(0, nTextStart);
        std::string end = "\r\n";  // of the line before
        size_t nNext = 0;          // the lines before it are written or gone
        for (size_t n = 0; n < rows.size(); ++n)
        {
            const CRow& row = rows[n];
            if (row.nLine >= 0)
            {
                const size_t nLine = static_cast<size_t>(row.nLine);
                for (; nNext <= nLine; ++nNext)
                    out += Gap(nNext);
                out.append(bytes, LineStart(nLine), ranges[nLine].first - LineStart(nLine));
                pAt->push_back(out.size());
                const std::string after = bytes.substr(TextEnd(nLine), LineEnd(nLine) - TextEnd(nLine));
                out += row.text + after;
                end = after.empty() || after.back() != '\n' ? "\r\n"
                      : after.size() > 1 && after[after.size() - 2] == '\r' ? "\r\n" : "\n";
                continue;
            }
            if (n == nAfterLines)
            {
                for (; nNext <= ranges.size(); ++nNext)
                    out += Gap(nNext);
                if (out.size() > nTextStart && out.back() != '\n')
                    out += "\r\n";
            }
            pAt->push_back(out.size());
            out += row.text + end;
        }
        for (; nNext <= ranges.size(); ++nNext)
            out += Gap(nNext);
        return out + bytes.substr(nTextEnd);
    }
};

// The rows, the file they are lines of, and the steps that can be undone
// and redone, as copies of the rows.
struct CModel
{
    CFileLines file;
    Rows rows;
    std::vector<Rows> undo;
    std::vector<Rows> redo;
    size_t nGiven = 0;  // bytes of the texts given and the files saved
    size_t nSaves = 0;

    void Kept(const Rows& before)
    {
        undo.push_back(before);
        redo.clear();
    }
    void Save()
    {
        std::vector<size_t> at;
        const std::string bytes = file.Written(rows, &at);
        CFileLines saved = file;
        saved.bytes = bytes;
        saved.nTextEnd = bytes.size() - (file.bytes.size() - file.nTextEnd);
        saved.ranges.clear();
        std::vector<long> lineNow(file.ranges.size(), -1);
        for (size_t n = 0; n < rows.size(); ++n)
        {
            saved.ranges.emplace_back(at[n], rows[n].text.size());
            if (rows[n].nLine >= 0)
                lineNow[static_cast<size_t>(rows[n].nLine)] = static_cast<long>(n);
            rows[n].nLine = static_cast<long>(n);
        }
        // A row the file as saved does not hold is a new row when undone.
        for (std::vector<Rows>* pSteps : {&undo, &redo})
            for (Rows& step : *pSteps)
                for (CRow& row : step)
                    row.nLine = row.nLine >= 0 ? lineNow[static_cast<size_t>(row.nLine)] : -1;
        file = saved;
        nGiven += bytes.size();
        ++nSaves;
    }
};

void Compare(const CEntryList& list, const CModel& model, const std::string& where)
{
    FUZZ_CHECK(list.GetCount() == static_cast<int>(model.rows.size()), "as many rows as the model", where);
    bool bOneLineEach = true;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
    {
        const std::string& expected = model.rows[static_cast<size_t>(nRow)].text;
        std::string got = Bytes(list.GetTextString(nRow));
        FUZZ_CHECK(got == expected, "each row holds the model's text",
                   where + " row " + std::to_string(nRow) + " '" + Shown(got) + "' expected '" + Shown(expected) +
                       "'");
        FUZZ_CHECK(list.IsCommented(nRow) == ModelCommented(expected), "a row's status follows its text",
                   where + " row " + std::to_string(nRow) + " '" + Shown(expected) + "'");
        bOneLineEach = bOneLineEach && expected.find('\n') == std::string::npos;
    }
    FUZZ_CHECK(list.HasChanges() == !model.file.IsLines(model.rows), "changes exactly where rows are not the lines",
               where);
    FUZZ_CHECK(list.GetStoreSize() <= model.file.bytes.size() + model.nGiven + (model.nSaves + 4) * 256 * 1024,
               "the store holds the files and the texts given",
               where + " store " + std::to_string(list.GetStoreSize()) + " given " + std::to_string(model.nGiven));
    std::vector<size_t> at;
    const std::string saved = Saved(list);
    const std::string expected = model.file.Written(model.rows, &at);
    FUZZ_CHECK(saved == expected, "a save writes each row where it stands",
               where + "\nfile '" + Shown(model.file.bytes) + "'\nsaved '" + Shown(saved) + "'\nexpected '" +
                   Shown(expected) + "'");
    // Between two rows' texts, a blank line is two line feeds.
    for (size_t n = 1; bOneLineEach && n < at.size(); ++n)
    {
        const size_t nFrom = at[n - 1] + model.rows[n - 1].text.size();
        const bool bBlank = std::count(saved.begin() + nFrom, saved.begin() + at[n], '\n') > 1;
        FUZZ_CHECK(list.FollowsBlankLine(static_cast<int>(n)) == bBlank, "blank lines where a save writes them",
                   where + " row " + std::to_string(n) + " in '" + Shown(saved) + "'");
    }
}

void LoadFrom(CEntryList& list, const std::string& bytes)
{
    if (bytes.empty())
    {
        list.Empty();
        return;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(
        fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb"), std::fclose);
    FUZZ_CHECK(stream != nullptr, "the file can be opened in memory", "");
    FUZZ_CHECK(list.Load(stream.get()) == CEntryList::loaded, "the file loads", "input '" + Shown(bytes) + "'");
}

bool StartsWhite(const std::string& text)
{
    return !text.empty() && IsWhite(text[0]);
}

// One row at a time, on a freshly loaded file: commenting it changes its line
// alone, by the mark where its text starts, and uncommenting it again gives
// the file back (unless its text started with white space, which only the
// first line's can: uncommenting drops that too).
void CheckEachRowAlone(const CFileLines& file)
{
    const size_t nRows = file.ranges.size() < 32 ? file.ranges.size() : 32;
    for (size_t n = 0; n < nRows; ++n)
    {
        CEntryList list;
        LoadFrom(list, file.bytes);
        const int nRow = static_cast<int>(n);
        const size_t nStart = file.ranges[n].first;
        const std::string text = file.bytes.substr(nStart, file.ranges[n].second);
        const std::string where = "row " + std::to_string(n) + " '" + Shown(text) + "' of '" + Shown(file.bytes) + "'";
        bool bChanged = false;
        if (!ModelCommented(text))
        {
            list.Comment(nRow, &bChanged);
            std::string expected = file.bytes;
            expected.insert(nStart, kCommentMark);
            FUZZ_CHECK(Saved(list) == expected, "commenting a row changes its line alone, by the mark", where);
            list.Uncomment(nRow, &bChanged);
            if (!StartsWhite(text))
                FUZZ_CHECK(Saved(list) == file.bytes, "commenting and uncommenting a row gives the file back",
                           where);
        }
        else
        {
            // Uncommenting drops the start of the text alone; commenting
            // again puts the mark there.
            list.Uncomment(nRow, &bChanged);
            std::string expected = file.bytes;
            expected.erase(nStart, text.size() - ModelUncommented(text).size());
            FUZZ_CHECK(Saved(list) == expected, "uncommenting a row changes its line alone", where);
            list.Comment(nRow, &bChanged);
            if (!ModelCommented(ModelUncommented(text)))
            {
                expected.insert(nStart, kCommentMark);
                FUZZ_CHECK(Saved(list) == expected, "and commenting it puts the mark where its text starts", where);
            }
        }
    }
}

// Comments (or uncomments) a row of the list and of the model; whether it
// changed.
bool SetRow(CEntryList& list, CModel& model, int nRow, bool bComment, const std::string& where)
{
    std::string& text = model.rows[static_cast<size_t>(nRow)].text;
    const bool bWasCommented = ModelCommented(text);
    bool bChanged = false;
    FUZZ_CHECK(bComment ? list.Comment(nRow, &bChanged) : list.Uncomment(nRow, &bChanged), "a change is recorded",
               where);
    if (bComment && !bWasCommented)
        text = kCommentMark + text;
    else if (!bComment && bWasCommented)
        text = ModelUncommented(text);
    FUZZ_CHECK(bChanged == (bWasCommented != bComment), "a row changes when it is not yet as asked", where);
    return bChanged;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    // The first part is the file, up to a byte 0xFF; the rest the commands.
    size_t nFile = 0;
    while (nFile < nSize && pData[nFile] != 0xFF)
        ++nFile;
    const CFileLines file(std::string(reinterpret_cast<const char*>(pData), nFile));
    CScript script(pData + nFile + (nFile < nSize ? 1 : 0), nSize - nFile - (nFile < nSize ? 1 : 0));

    CModel model{file, {}, {}, {}};
    for (size_t n = 0; n < file.ranges.size(); ++n)
        model.rows.push_back(CRow{file.bytes.substr(file.ranges[n].first, file.ranges[n].second), static_cast<long>(n)});
    Lines loaded;
    ScanHostsText(file.bytes.data(), file.bytes.size(), [&](const CString& text) { loaded.push_back(Bytes(text)); });
    CEntryList list;
    LoadFrom(list, file.bytes);
    FUZZ_CHECK(Saved(list) == file.bytes, "saved unchanged, the file comes back byte for byte",
               "input '" + Shown(file.bytes) + "'");
    Compare(list, model, "after loading '" + Shown(file.bytes) + "'");
    CheckEachRowAlone(file);

    for (int nStep = 0; script.More(); ++nStep)
    {
        const unsigned nOp = script.Byte() % 12;
        const int nCount = list.GetCount();
        const int nRow = nCount == 0 ? 0 : static_cast<int>(script.Byte() % static_cast<unsigned>(nCount));
        const std::string where = "step " + std::to_string(nStep) + " op " + std::to_string(nOp);
        const Rows before = model.rows;
        CRowHistory::Pick pick;
        bool bChanged = false;
        list.BeginStep();
        if (nOp == 0 || nOp == 5 || nOp == 7)
        {
            // Appended, put in, or another text for a row.
            const int nAt = nOp == 0 ? nCount : static_cast<int>(script.Byte() % static_cast<unsigned>(nCount + 1));
            const std::string text = script.Text();
            model.nGiven += text.size();
            if (nOp == 5 && nCount > 0)
            {
                FUZZ_CHECK(list.SetText(nRow, text.data(), text.size()), "an edit succeeds", where);
                model.rows[static_cast<size_t>(nRow)].text = text;
            }
            else if (nOp != 5)
            {
                FUZZ_CHECK(list.InsertRow(nAt, text.data(), text.size()), "a row is put in", where);
                model.rows.insert(model.rows.begin() + nAt, CRow{text, -1});
            }
            bChanged = nOp != 5 || nCount > 0;
        }
        else if (nOp == 1 || nOp == 2)
        {
            bChanged = nCount > 0 && SetRow(list, model, nRow, nOp == 1, where);
        }
        else if (nOp == 3 || nOp == 4 || nOp == 11)
        {
            // Every row, as "Comment Selected" with all rows selected does;
            // given up, as a command without memory for its step is.
            bChanged = false;
            for (int n = 0; n < nCount; ++n)
                bChanged = SetRow(list, model, n, nOp != 4, where) || bChanged;
            if (nOp == 11)
            {
                list.CancelStep();
                model.rows = before;
                bChanged = false;
            }
        }
        else if (nOp == 6)
        {
            // The row picked and those of a mask.
            const unsigned nMask = script.Byte();
            std::vector<uint32_t> rows;
            for (int n = 0; n < nCount; ++n)
                if (n == nRow || (nMask >> (n % 8) & 1))
                    rows.push_back(static_cast<uint32_t>(n));
            FUZZ_CHECK(list.RemoveRows(rows), "a removal succeeds", where);
            for (size_t k = rows.size(); k-- > 0;)
                model.rows.erase(model.rows.begin() + rows[k]);
            bChanged = !rows.empty();
        }
        list.EndStep();
        if (bChanged)
            model.Kept(before);
        if (nOp == 8 || nOp == 9)
        {
            std::vector<Rows>& from = nOp == 8 ? model.undo : model.redo;
            std::vector<Rows>& to = nOp == 8 ? model.redo : model.undo;
            const bool bDone = nOp == 8 ? list.Undo(pick) : list.Redo(pick);
            FUZZ_CHECK(bDone == !from.empty(), "a step is undone (redone) when there is one", where);
            if (bDone)
            {
                to.push_back(model.rows);
                model.rows = from.back();
                from.pop_back();
                const size_t nFocus = static_cast<size_t>(pick.nFocus);
                FUZZ_CHECK(pick.rows.size() == model.rows.size() &&
                               (model.rows.empty() ? pick.nFocus == -1 : nFocus < pick.rows.size() && pick.rows[nFocus]),
                           "a pick has a byte a row, and the focused row is picked", where);
            }
        }
        else if (nOp == 10)
        {
            const std::string bytes = Saved(list);
            FUZZ_CHECK(list.MarkSaved(), "a save is taken in", where);
            model.Save();
            std::string held;
            list.ForEachSavedPiece([&](const char* pch, size_t nLength) {
                held.append(pch, nLength);
                return true;
            });
            FUZZ_CHECK(held == bytes && bytes == model.file.bytes, "the bytes saved are the file", where);
        }
        Compare(list, model, where);
    }

    // A row's own text appended, as one more step.
    if (!model.rows.empty())
    {
        CEntryList::Text text = list.GetText(0);
        const Rows before = model.rows;
        list.BeginStep();
        FUZZ_CHECK(list.Append(text.pch, text.nLength), "appending a row's own text succeeds", "");
        list.EndStep();
        model.rows.push_back(CRow{std::string(text.pch, text.nLength), -1});
        model.nGiven += text.nLength;
        model.Kept(before);
        Compare(list, model, "after copying row 0");
    }

    // Every step undone: the rows as loaded, and the file when none was saved.
    CRowHistory::Pick pick;
    while (list.Undo(pick))
        ;
    Lines texts;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
        texts.push_back(Bytes(list.GetTextString(nRow)));
    FUZZ_CHECK(texts == loaded, "every step undone gives the rows as loaded", Shown(texts));
    if (model.nSaves == 0)
        FUZZ_CHECK(Saved(list) == file.bytes && !list.HasChanges(), "and the file's bytes", "");
    return 0;
}
