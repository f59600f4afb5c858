#pragma once

#include <string>

namespace tapelink {

// Where the texts of a recording list go on an exported sheet.

// After the list's exported columns: the contact's name, then the remark (the note, then the tags in
// brackets: "客户投诉 [重要] [回访]").
inline constexpr const char* kNameTitle = "姓名";
inline constexpr const char* kRemarkTitle = "备注";
// The last two list columns (the file size, and the path in the search results) are not exported.
inline constexpr int kUnexportedColumns = 2;
inline constexpr int kKindColumn = 2;    // list column holding the recording-kind word
inline constexpr int kNumberColumn = 3;  // list column holding the phone number
// Column titles are read through a buffer of this many bytes in the telephone's code page (GBK),
// terminator included.
inline constexpr int kTitleBufferBytes = 100;

// How many list columns of a list with columnCount columns are exported.
int exportedColumnCount(int columnCount);

// A UTF-8 title cut to what fits into the title buffer: GBK takes one byte for an ASCII character
// and two for any other, and a character that would not fit whole is dropped with everything after it.
std::string cutTitle(const std::string& title);

// The sheet text of the kind column: "Z:" before the kind word when the number text of the same row
// contains "主", a single space otherwise.
std::string kindCellText(const std::string& kind, const std::string& number);

}  // namespace tapelink
