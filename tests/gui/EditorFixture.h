#pragma once
// The entry editor on the scripted platform, over a stand-in main window
// that records grid refills. Five entries, unsorted; today is 15.06.2025.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "Einfrm.h"
#include "Grid.h"
#include "SampleFiles.h"
#include "ScriptedPlatform.h"
#include "State.h"
#include "Views.h"

namespace tmf::test {

class RecordingMain : public MainView {
public:
    int gridChanged = 0;
    void GridChanged() override { ++gridChanged; }
    void SetStatusPanel(int, const std::string&) override {}
    void SetProgressText(const std::string&) override {}
    void SetProgressValue(int) override {}
    void SetEnabled(bool) override {}
    WindowRect Geometry() override { return {100, 50, 594, 376}; }
    void MoveTo(int, int) override {}
    void FillChoiceLists(int, int) override {}
    int SortChoiceIndex() override { return 0; }
    void SetCaption(const std::string&) override {}
    void ShowWindow() override {}
    void HideInternalGroup() override {}
    bool EndProgram() override { return true; }
    void QuitProgram() override {}
};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.install();
        platform.setToday(2025, 6, 15);
        ResetProgramState();
        MainGrid = StringGrid();
        InstallViews({&main, nullptr, nullptr});
        const char* terms[] = {"Geburtstag", "Namenstag", "Arzt", "Jubiläum"};
        for (std::size_t i = 0; i < 4; ++i) TermNames[i] = terms[i];
        LoadIntoState(
            {{"Otto", "Zeh", "20.03.1960", "Geburtstag", 5, 1},
             {"Bernd", "Maier", "24.06.1989", "Jubiläum", 7, 2, 0, true, "Erste\r\nZweite", "", "Weg 1"},
             {"Clara", "Adam", "15.06.1980", "Geburtstag", -10, 3, 1, false, "Alt", "0221 1\r\n0221 2"},
             {"Dora", "Kurz", "01.01.2000", "Namenstag"},
             {"Emil", "Berg", "05.05.1955", "Arzt"}});
        editor = std::make_unique<TEinF>();
    }
    void TearDown() override {
        editor.reset();
        InstallViews({});
        ResetProgramState();
    }

    template <typename T = QWidget>
    T* Field(const char* name) {
        T* w = editor->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Text(const char* name) {
        if (auto* e = editor->findChild<QLineEdit*>(name)) return e->text();
        if (auto* m = editor->findChild<QPlainTextEdit*>(name)) return m->toPlainText();
        return Field<QComboBox>(name)->currentText();
    }
    void Click(const char* name) { Field<QAbstractButton>(name)->click(); }
    // Key presses carrying any character, as a keyboard layout would send them.
    static void Type(QWidget* w, const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
            i += n - 1;
        }
    }

    void Open(const char* mode, int entry = 0) {
        EditorMode = mode;
        SelectedEntry = entry;
        editor->ShowNonModal();
        QApplication::setActiveWindow(editor.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    }
    // Opens the editor modally and runs the user's part inside its loop.
    void OpenModal(const char* mode, int entry, const std::function<void()>& user) {
        EditorMode = mode;
        SelectedEntry = entry;
        QTimer::singleShot(0, editor.get(), [&] {
            user();
            if (editor->isVisible()) editor->CloseWithoutTakeOver();
        });
        editor->ShowModal();
    }

    ScriptedPlatform platform;
    RecordingMain main;
    std::unique_ptr<TEinF> editor;
};

}  // namespace tmf::test
