#pragma once
// What the terminal program prints: each file with its findings, each line
// led by its kind, and the anniversaries of the next days.
#include <cstdio>
#include <string>

#include "CheckFiles.h"

namespace tmf::cli {

struct ReportStyle {
    bool colour = false;      // kinds coloured (only for a terminal)
    int aheadDays = -1;       // the look-ahead list; -1: none
    std::string checkDate;    // "dd.mm.yyyy"
};

std::string FormatReport(const CheckOutcome& outcome, const ReportStyle& style);

// Colours only to a terminal that can show them, and not against the
// user's NO_COLOR.
bool WantColour(std::FILE* stream);

}  // namespace tmf::cli
