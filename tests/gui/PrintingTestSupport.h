#pragma once
// The printing dialog over a main list filled from sample entries, and a
// canvas that records what would go on paper.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

#include "AuswahlFrm.h"
#include "Cp1252.h"
#include "Grid.h"
#include "PrintCanvas.h"
#include "SampleFiles.h"
#include "ScriptedPlatform.h"
#include "State.h"
#include "Views.h"

namespace tmf::test {

// Every letter 10 pixels wide (plus a remainder the division must drop),
// every line 20 high.
class RecordingCanvas : public PrintCanvas {
public:
    struct Text {
        int page;
        int x;
        int y;
        std::string text;
    };
    std::vector<Text> texts;
    int pages = 0;
    bool ended = false;

    bool BeginDoc() override {
        pages = 1;
        return true;
    }
    void TextOut(int x, int y, const std::string& text) override { texts.push_back({pages - 1, x, y, text}); }
    int TextWidth(const std::string& text) override { return 10 * static_cast<int>(Utf8Length(text)) + 7; }
    int TextHeight(const std::string&) override { return 20; }
    void NewPage() override { ++pages; }
    void EndDoc() override { ended = true; }

    // The texts written at x on the given page, top to bottom.
    std::vector<Text> column(int page, int x) const {
        std::vector<Text> out;
        for (const Text& t : texts)
            if (t.page == page && t.x == x) out.push_back(t);
        return out;
    }
};

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.install();
        platform.setToday(2026, 12, 7);
        platform.setTime(9, 5);
        ResetProgramState();
        InstallViews({});
        MainGrid = StringGrid();
        CurrentFile() = "/home/anna/daten/Familie.tmf";
    }
    void TearDown() override {
        ResetProgramState();
        MainGrid = StringGrid();
    }

    // The entries in the table and the main list, the dialog shown.
    void Fill(const std::vector<EntrySpec>& entries) {
        LoadIntoState(entries);
        FillGrid();
        dialog.hide();
        dialog.show();
    }
    QListWidget& List() { return *dialog.findChild<QListWidget*>("CheckListBox1"); }
    void TickAll() { dialog.findChild<QPushButton*>("BitBtn1")->click(); }
    void WithContacts() { dialog.findChild<QCheckBox*>("CheckBox1")->setChecked(true); }
    RecordingCanvas PrintIt() {
        RecordingCanvas canvas;
        dialog.Print(canvas);
        return canvas;
    }

    ScriptedPlatform platform;
    TAuswahlF dialog;
};

inline std::vector<EntrySpec> Numbered(int n) {
    std::vector<EntrySpec> entries;
    for (int i = 1; i <= n; ++i) entries.push_back({"Vor" + std::to_string(i), "Nach" + std::to_string(i)});
    return entries;
}

}  // namespace tmf::test
