#pragma once
// The text file the old-file converter leaves behind: the entry count on the
// first line, then 11 lines per record (header first), Windows-1252, CR LF.
#include <string>
#include <string_view>
#include <vector>

#include "EntryTable.h"

namespace tmf {

struct ConverterOutput {
    bool ok = false;
    std::string error;            // German, when not ok
    std::vector<Row> rows;        // 0 = header, 1..n = entries
    bool numbersReplaced = false; // some number field was not a whole number
};

// Reads the converter's output. Quotes are removed, missing lines are empty.
// The count must be a whole number from 0 to 32000; the number fields of the
// entries are turned into numbers (a text that is no whole number becomes 0
// and is reported) so that the file written from them is sound.
ConverterOutput ParseConverterOutput(std::string_view bytes);

}  // namespace tmf
