// Any text as a line: the status word agrees with IsCommented, which looks
// at the first character after leading white space; commenting puts "# " in
// front and can be undone; and commented or uncommented lines survive being
// written and read back.
#include "FuzzCheck.h"
#include "hosts/lines/CommentRules.h"
#include "hosts/lines/LineScan.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

std::string TrimLeft(const std::string& text)
{
    size_t n = 0;
    while (n < text.size() && IsWhite(text[n]))
        ++n;
    return text.substr(n);
}

bool ModelCommented(const std::string& text)
{
    std::string trimmed = TrimLeft(text);
    return !trimmed.empty() && trimmed[0] == '#';
}

CString ToCString(const std::string& text)
{
    return CString(text.data(), static_cast<int>(text.size()));
}

Lines ReadBack(const Lines& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    Lines back;
    ScanHostsText(out.data(), out.size(), [&](const CString& text) { back.push_back(Bytes(text)); });
    return back;
}

// The laws for one line text (no NUL: line texts are C strings).
void CheckText(const std::string& text)
{
    const std::string where = "text '" + Shown(text) + "'";
    const CString line = ToCString(text);

    const bool bCommented = IsCommented(line);
    FUZZ_CHECK(Bytes(line) == text, "IsCommented leaves the caller's text alone", where);
    FUZZ_CHECK(bCommented == ModelCommented(text), "commented iff the first non-white character is '#'", where);
    const char* pszStatus = StatusWordFor(IsCommented(line));
    FUZZ_CHECK(std::strcmp(pszStatus, bCommented ? "Commented" : "Active") == 0,
               "the status is \"Commented\" iff IsCommented, otherwise \"Active\"",
               where + " status '" + pszStatus + "'");
    FUZZ_CHECK(bCommented == IsCommented(ToCString(TrimLeft(text))), "leading white space does not change the status",
               where);

    const std::string commented = Bytes(CommentLine(line));
    FUZZ_CHECK(commented == "# " + text, "commenting puts \"# \" in front of the text as it was",
               where + " gave '" + Shown(commented) + "'");
    FUZZ_CHECK(IsCommented(ToCString(commented)), "a commented line tests commented", where);

    const std::string uncommented = Bytes(UncommentLine(line));
    const std::string expected = text.empty() ? std::string() : TrimLeft(text.substr(1));
    FUZZ_CHECK(uncommented == expected,
               "uncommenting drops the first character and then the leading white space",
               where + " gave '" + Shown(uncommented) + "'");
    FUZZ_CHECK(uncommented.empty() || !IsWhite(uncommented[0]), "an uncommented line starts with no white space",
               where);

    if (!bCommented)
    {
        const std::string undone = Bytes(UncommentLine(ToCString(commented)));
        FUZZ_CHECK(undone == TrimLeft(text),
                   "uncommenting a commented Active line gives it back without its leading white space",
                   where + " gave '" + Shown(undone) + "'");
        FUZZ_CHECK(!IsCommented(ToCString(undone)), "and that line is Active again", where);
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string input(reinterpret_cast<const char*>(pData), nSize);

    // The whole input as one text, up to its first NUL.
    CheckText(input.substr(0, input.find('\0')));

    // The input as a hosts file: every line it gives, commented where Active
    // and uncommented where commented, as the two buttons would.
    Lines lines;
    ScanHostsText(input.data(), input.size(), [&](const CString& text) { lines.push_back(Bytes(text)); });
    Lines commented;
    Lines uncommented;
    for (const std::string& line : lines)
    {
        CheckText(line);
        CString text = ToCString(line);
        if (IsCommented(text))
            uncommented.push_back(Bytes(UncommentLine(text)));
        else
            commented.push_back(Bytes(CommentLine(text)));
    }

    // A commented line is never empty and never starts with white space:
    // saved and read back, every one of them comes back as it was.
    Lines back = ReadBack(commented);
    FUZZ_CHECK(back == commented, "commented lines read back unchanged",
               "input '" + Shown(input) + "'\nread back " + Shown(back) + "\nexpected " + Shown(commented));

    // An uncommented line starts with no white space either; only one that
    // came out empty ('#' alone) is skipped when read back. A UTF-8
    // byte-order mark at the very start of a file belongs to no line (the
    // reading rules, which fuzz_line_reader checks): a file whose first line
    // would begin with one does not read back as written, and is left out.
    if (!uncommented.empty() && uncommented[0].compare(0, 3, "\xEF\xBB\xBF") == 0)
        return 0;
    Lines nonEmpty;
    for (const std::string& line : uncommented)
        if (!line.empty())
            nonEmpty.push_back(line);
    back = ReadBack(uncommented);
    FUZZ_CHECK(back == nonEmpty, "uncommented lines read back unchanged, empty ones skipped",
               "input '" + Shown(input) + "'\nread back " + Shown(back) + "\nexpected " + Shown(nonEmpty));
    return 0;
}
