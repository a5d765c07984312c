#pragma once
// What the terminal program prints: each file with its findings, each line
// led by its kind, and the anniversaries of the next days. Written as the
// check goes, a file at a time, so that a long list's report is never held
// whole.
#include <chrono>
#include <cstdio>
#include <string>

#include "CheckFiles.h"

namespace tmf::cli {

struct ReportStyle {
    bool colour = false;      // kinds coloured (only for a terminal)
    int aheadDays = -1;       // the look-ahead list; -1: none
    std::chrono::sys_days today{};
};

class ReportWriter {
public:
    ReportWriter(std::FILE* out, ReportStyle style);
    // A file that was read and has findings; the others show nothing.
    void file(const FileReport& file);
    // The look-ahead list, when one was asked for; last.
    void upcoming(const UpcomingList& upcoming);

private:
    void startBlock();
    void put(const std::string& text) { std::fwrite(text.data(), 1, text.size(), out_); }
    // Lines are gathered and written a stretch at a time: a file can have
    // thousands of findings, a long list tens of thousands of anniversaries.
    static constexpr std::size_t kStretch = 64 * 1024;
    void putFull(std::string& text) {
        if (text.size() < kStretch) return;
        put(text);
        text.clear();
    }

    std::FILE* out_;
    ReportStyle style_;
    bool wroteAny_ = false;
    std::string text_;  // one file's lines, reused
    std::string findingText_;
    std::string labels_[PassedOver + 1];  // each kind's, padded, with the blanks after it
};

// Colours only to a terminal that can show them, and not against the
// user's NO_COLOR.
bool WantColour(std::FILE* stream);

}  // namespace tmf::cli
