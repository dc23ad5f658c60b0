// Any bytes as a loaded file followed by a sequence of edits: the entry list
// holds exactly what a plain list of strings holds after the same appends,
// replacements, comments and uncomments, each row's status agrees with its
// text, and the store never grows far beyond the texts it holds.
#include "FuzzCheck.h"
#include "hosts/CommentRules.h"
#include "hosts/EntryList.h"
#include "hosts/HostsLineReader.h"

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

void Compare(const CEntryList& list, const Lines& model, const std::string& where)
{
    FUZZ_CHECK(list.GetCount() == static_cast<int>(model.size()), "as many rows as the model", where);
    size_t nTexts = 0;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
    {
        const std::string& expected = model[static_cast<size_t>(nRow)];
        std::string got = Bytes(list.GetTextString(nRow));
        FUZZ_CHECK(got == expected, "each row holds the model's text",
                   where + " row " + std::to_string(nRow) + " '" + Shown(got) + "' expected '" + Shown(expected) +
                       "'");
        FUZZ_CHECK(list.IsCommented(nRow) == ModelCommented(expected), "a row's status follows its text",
                   where + " row " + std::to_string(nRow) + " '" + Shown(expected) + "'");
        nTexts += expected.size() + 2;
    }
    FUZZ_CHECK(list.GetStoreSize() <= 2 * nTexts + 2 * 4 * 1024 * 1024, "the store stays near what the rows hold",
               where + " store " + std::to_string(list.GetStoreSize()) + " texts " + std::to_string(nTexts));
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    // The first part is the file, up to a byte 0xFF; the rest the edits.
    size_t nFile = 0;
    while (nFile < nSize && pData[nFile] != 0xFF)
        ++nFile;
    const std::string file(reinterpret_cast<const char*>(pData), nFile);
    CScript script(pData + nFile + (nFile < nSize ? 1 : 0), nSize - nFile - (nFile < nSize ? 1 : 0));

    Lines model;
    ScanHostsText(file.data(), file.size(), [&](const CString& text) { model.push_back(Bytes(text)); });
    CEntryList list;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(
        fmemopen(const_cast<char*>(file.empty() ? "" : file.data()), file.size(), "rb"), std::fclose);
    if (!file.empty())
    {
        FUZZ_CHECK(stream != nullptr, "the file can be opened in memory", "");
        FUZZ_CHECK(list.Load(stream.get()) == CEntryList::loaded, "the file loads", "input '" + Shown(file) + "'");
    }
    Compare(list, model, "after loading '" + Shown(file) + "'");

    for (int nStep = 0; script.More(); ++nStep)
    {
        unsigned nOp = script.Byte() % 7;
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
        {
            if (model.empty())
                break;
            std::string text = script.Text();
            FUZZ_CHECK(list.Replace(nRow, text.data(), text.size()), "a replacement succeeds", where);
            model[static_cast<size_t>(nRow)] = text;
            break;
        }
        case 2:
        case 3:
        {
            if (model.empty())
                break;
            std::string& text = model[static_cast<size_t>(nRow)];
            bool bWasCommented = ModelCommented(text);
            if (nOp == 2)
            {
                FUZZ_CHECK(list.Comment(nRow, &bChanged), "commenting succeeds", where);
                if (!bWasCommented)
                    text = kCommentMark + text;
            }
            else
            {
                list.Uncomment(nRow, &bChanged);
                if (bWasCommented)
                    text = ModelUncommented(text);
            }
            FUZZ_CHECK(bChanged == (bWasCommented == (nOp == 3)), "a row changes when it is not yet as asked",
                       where);
            break;
        }
        case 6:
            // Every row given a longer text, so that the old texts pile up
            // unused and the store has to be packed.
            for (int n = 0; n < list.GetCount(); ++n)
            {
                std::string& text = model[static_cast<size_t>(n)];
                std::string longer = text + text + "+";
                if (longer.size() > 3000)
                    longer = "#" + longer.substr(longer.size() / 2);
                FUZZ_CHECK(list.Replace(n, longer.data(), longer.size()), "a replacement succeeds", where);
                text = longer;
            }
            break;
        case 4:
        case 5:
            // Every row, as "Comment Selected" with all rows selected does.
            for (int n = 0; n < list.GetCount(); ++n)
            {
                std::string& text = model[static_cast<size_t>(n)];
                if (nOp == 4)
                {
                    FUZZ_CHECK(list.Comment(n, &bChanged), "commenting succeeds", where);
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
        Compare(list, model, where);
    }

    // A row's own text appended and given to another row.
    if (!model.empty())
    {
        size_t nLength;
        const char* pch = list.GetText(0, &nLength);
        FUZZ_CHECK(list.Append(pch, nLength), "appending a row's own text succeeds", "");
        model.push_back(model[0]);
        pch = list.GetText(list.GetCount() - 1, &nLength);
        FUZZ_CHECK(list.Replace(0, pch, nLength), "replacing with a row's own text succeeds", "");
        Compare(list, model, "after copying row 0");
    }
    return 0;
}
