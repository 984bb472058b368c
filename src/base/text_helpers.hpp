// Small text functions shared by every reader, converter and dialog.
#pragma once
#include <array>
#include <string>
#include <string_view>

namespace kestrova {

// Fields of one blank-separated line. At most 20 fields are counted: a line
// with a 21st field gets count 0, its first 21 fields staying in the slots.
struct TLineFields {
    int count = 0;
    std::array<std::string, 21> fields;
    std::string comment;  // everything after the first "*", blanks kept
};

// The same fields as views into the line (valid while the line is).
struct TLineFieldViews {
    int count = 0;
    std::array<std::string_view, 21> fields;
    std::string_view comment;
};

void SplitLineFields(std::string_view line, TLineFieldViews& fields);

TLineFields SplitLineFields(std::string_view line);
// The same into `fields`, whose texts keep their room from line to line
// (no allocation per line for a reader that reuses one).
void SplitLineFields(std::string_view line, TLineFields& fields);

// Decimal number test done before every text-to-number conversion.
// "." is the decimal separator, "," the thousands separator.
bool IsNumericText(std::string_view text, bool exponentAllowed);

// Trims, then turns the leading "0" characters into blanks.
std::string StripLeadingZeros(std::string_view text);

// Trims, then turns control characters and ";" into blanks.
std::string CleanFieldText(std::string_view text);

// True when every byte is printable ASCII (0x20 to 0x7E): such a text has
// no control character and is the same in every 8-bit code page. Checked
// eight bytes at a time; every line of every output goes through here.
bool IsPrintableAscii(std::string_view text);

// True when the text holds a control character: C0 (below 0x20), DEL, or
// C1 (U+0080 to U+009F).
bool HasControlCharacter(std::string_view text);

// The text with every control character replaced by "?": the column
// formats of the adjustment programs cannot hold a tabulation, an escape
// or a start-of-heading inside a name.
std::string PrintableText(std::string_view text);

std::string Trim(std::string_view text);
// The same without a copy.
std::string_view TrimView(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);

// The position just after the ">" ending the XML tag whose "<" is at `open`
// (quoted attribute values may hold ">"), or npos when the text ends first.
std::size_t XmlTagEnd(std::string_view text, std::size_t open);

}  // namespace kestrova
