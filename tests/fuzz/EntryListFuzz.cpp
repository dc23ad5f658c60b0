// Any bytes as a loaded file followed by a sequence of edits: the entry list
// holds exactly what a plain list of strings holds after the same appends,
// comments and uncomments, each row's status agrees with its text, the store
// holds nothing but the file and the added texts, and what a save would
// write is the file's bytes with each changed row's new text in place of its
// old text and the added rows before a Ctrl-Z. Saved unchanged, the file
// comes back byte for byte; commenting one row changes its line alone, by
// the mark, and uncommenting it again gives the file's bytes back.
#include "FuzzCheck.h"
#include "hosts/document/EntryList.h"
#include "hosts/lines/CommentRules.h"
#include "hosts/lines/LineScan.h"

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

// Where the file's lines are, as the reading rules find them.
struct CFileLines
{
    std::string bytes;
    std::vector<std::pair<size_t, size_t>> ranges;  // start and length of each line's text
    size_t nTextEnd = 0;                             // a Ctrl-Z or the end

    explicit CFileLines(const std::string& file) : bytes(file)
    {
        ScanHostsLineRanges(file.data(), file.size(),
                            [this](size_t nStart, size_t nLength) { ranges.emplace_back(nStart, nLength); });
        nTextEnd = file.find('\x1A');
        if (nTextEnd == std::string::npos)
            nTextEnd = file.size();
    }

    // What a save of these texts should write: everything between the
    // lines as it was, each line's text replaced by the model's, then the
    // added texts, ended as the last line is, before the Ctrl-Z.
    std::string Written(const Lines& texts) const
    {
        std::string out;
        size_t nDone = 0;
        for (size_t n = 0; n < ranges.size(); ++n)
        {
            out.append(bytes, nDone, ranges[n].first - nDone);
            out += texts[n];
            nDone = ranges[n].first + ranges[n].second;
        }
        if (texts.size() > ranges.size())
        {
            out.append(bytes, nDone, nTextEnd - nDone);
            nDone = nTextEnd;
            size_t nBom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
            if (nTextEnd > nBom && bytes[nTextEnd - 1] != '\n')
                out += "\r\n";
            // Each ended as the file's last line is, CR LF where it has none.
            std::string end = "\r\n";
            if (!ranges.empty())
            {
                const size_t nLast = ranges.back().first + ranges.back().second;
                const size_t nLf = bytes.find('\n', nLast);
                if (nLf != std::string::npos && nLf < nTextEnd)
                    end = nLf > nLast && bytes[nLf - 1] == '\r' ? "\r\n" : "\n";
            }
            for (size_t n = ranges.size(); n < texts.size(); ++n)
                out += texts[n] + end;
        }
        out.append(bytes, nDone, std::string::npos);
        return out;
    }
};

void Compare(const CEntryList& list, const Lines& model, const CFileLines& file, const std::string& where)
{
    FUZZ_CHECK(list.GetCount() == static_cast<int>(model.size()), "as many rows as the model", where);
    size_t nAdded = 0;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
    {
        const std::string& expected = model[static_cast<size_t>(nRow)];
        std::string got = Bytes(list.GetTextString(nRow));
        FUZZ_CHECK(got == expected, "each row holds the model's text",
                   where + " row " + std::to_string(nRow) + " '" + Shown(got) + "' expected '" + Shown(expected) +
                       "'");
        FUZZ_CHECK(list.IsCommented(nRow) == ModelCommented(expected), "a row's status follows its text",
                   where + " row " + std::to_string(nRow) + " '" + Shown(expected) + "'");
        if (static_cast<size_t>(nRow) >= file.ranges.size())
            nAdded += expected.size();
    }
    FUZZ_CHECK(list.GetStoreSize() <= file.bytes.size() + nAdded + 4 * 256 * 1024,
               "the store holds the file and the added texts",
               where + " store " + std::to_string(list.GetStoreSize()) + " added " + std::to_string(nAdded));
    const std::string saved = Saved(list);
    const std::string expected = file.Written(model);
    FUZZ_CHECK(saved == expected, "a save writes the file with the changed texts in place",
               where + "\nfile '" + Shown(file.bytes) + "'\nsaved '" + Shown(saved) + "'\nexpected '" +
                   Shown(expected) + "'");
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
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    // The first part is the file, up to a byte 0xFF; the rest the edits.
    size_t nFile = 0;
    while (nFile < nSize && pData[nFile] != 0xFF)
        ++nFile;
    const CFileLines file(std::string(reinterpret_cast<const char*>(pData), nFile));
    CScript script(pData + nFile + (nFile < nSize ? 1 : 0), nSize - nFile - (nFile < nSize ? 1 : 0));

    Lines model;
    ScanHostsText(file.bytes.data(), file.bytes.size(), [&](const CString& text) { model.push_back(Bytes(text)); });
    CEntryList list;
    LoadFrom(list, file.bytes);
    FUZZ_CHECK(Saved(list) == file.bytes, "saved unchanged, the file comes back byte for byte",
               "input '" + Shown(file.bytes) + "'");
    Compare(list, model, file, "after loading '" + Shown(file.bytes) + "'");
    CheckEachRowAlone(file);

    for (int nStep = 0; script.More(); ++nStep)
    {
        unsigned nOp = script.Byte() % 5;
        int nRow = model.empty() ? 0 : static_cast<int>(script.Byte() % model.size());
        std::string where = "step " + std::to_string(nStep) + " op " + std::to_string(nOp);
        bool bChanged = false;
        switch (nOp)
        {
        case 0:
        {
            std::string text = script.Text();
            FUZZ_CHECK(list.Append(text.data(), text.size()), "an append succeeds", where);
            model.push_back(text);
            break;
        }
        case 1:
        case 2:
        {
            if (model.empty())
                break;
            std::string& text = model[static_cast<size_t>(nRow)];
            bool bWasCommented = ModelCommented(text);
            if (nOp == 1)
            {
                list.Comment(nRow, &bChanged);
                if (!bWasCommented)
                    text = kCommentMark + text;
            }
            else
            {
                list.Uncomment(nRow, &bChanged);
                if (bWasCommented)
                    text = ModelUncommented(text);
            }
            FUZZ_CHECK(bChanged == (bWasCommented == (nOp == 2)), "a row changes when it is not yet as asked",
                       where);
            break;
        }
        case 3:
        case 4:
            // Every row, as "Comment Selected" with all rows selected does.
            for (int n = 0; n < list.GetCount(); ++n)
            {
                std::string& text = model[static_cast<size_t>(n)];
                if (nOp == 3)
                {
                    list.Comment(n, &bChanged);
                    if (!ModelCommented(text))
                        text = kCommentMark + text;
                }
                else
                {
                    list.Uncomment(n, &bChanged);
                    if (ModelCommented(text))
                        text = ModelUncommented(text);
                }
            }
            break;
        }
        Compare(list, model, file, where);
    }

    // A row's own text appended.
    if (!model.empty())
    {
        CEntryList::Text text = list.GetText(0);
        std::string own = std::string(text.pchMark, text.nMark) + std::string(text.pch, text.nLength);
        FUZZ_CHECK(list.Append(text.pch, text.nLength), "appending a row's own text succeeds", "");
        model.push_back(own.substr(text.nMark));
        Compare(list, model, file, "after copying row 0");
    }
    return 0;
}
