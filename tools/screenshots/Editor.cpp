// The entry editor in each of its modes, over the filled main window.
#include <QApplication>
#include <iterator>

#include "Dialogs.h"
#include "Einfrm.h"
#include "Gebfrm.h"
#include "State.h"

using namespace tmf;

namespace {

void Grab(TEinF& editor, const QString& dir, const QString& name) {
    editor.ShowNonModal();
    QApplication::processEvents();
    editor.grab().save(dir + "/" + name + ".png");
    editor.CloseWithoutTakeOver();
}

}  // namespace

void TakeEditorScreenshots(const QString& dir, TGebF& main) {
    const auto modified = Modified;
    const auto termNames = TermNames;
    if (TermNames[0].empty()) {
        const char* terms[] = {"Geburtstag", "Hochzeitstag", "Jubiläum", "Namenstag", "Todestag", "Arzt"};
        for (std::size_t i = 0; i < std::size(terms); ++i) TermNames[i] = terms[i];
    }
    TEinF editor(&main);

    EditorMode = kModeNew;
    Grab(editor, dir, "editor-neu");

    EditorMode = kModeEdit;
    SelectedEntry = 3;
    Grab(editor, dir, "editor-bearbeiten");

    EditorMode = kModeCheck;
    SelectedEntry = 5;
    Grab(editor, dir, "editor-pruefen");

    Modified = modified;
    TermNames = termNames;
}
