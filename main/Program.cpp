#include "Program.h"

#include "Startup.h"
#include "Views.h"

bool Program::Create(const std::function<void(QWidget*)>& mainWindowCreated) {
    GebF = std::make_unique<TGebF>();
    if (mainWindowCreated) mainWindowCreated(GebF.get());
    EinF = std::make_unique<TEinF>(GebF.get());
    PrufungF = std::make_unique<TPrufungF>(GebF.get());
    TEinF* editor = EinF.get();
    GebF->openEditorModal = [editor] { editor->ShowModal(); };
    GebF->openEditorNonModal = [editor] { editor->ShowNonModal(); };
    GebF->editorOpen = [editor] { return editor->IsOpen(); };
    GebF->closeEditor = [editor] { editor->CloseWithoutTakeOver(); };
    PrufungF->openEntryEditor = [editor] { editor->ShowModal(); };
    StartF = std::make_unique<TStartF>();
    tmf::InstallViews({GebF.get(), StartF.get(), PrufungF.get()});
    StartF->FormCreate();
    if (tmf::ProgramEnding()) return false;
    InternF = std::make_unique<TInternF>();
    Wukfrm = std::make_unique<TWukfrm>(GebF.get());
    EinstellF = std::make_unique<TEinstellF>(GebF.get());
    AuswahlF = std::make_unique<TAuswahlF>(GebF.get());
    GebF->InternF = InternF.get();
    GebF->Wukfrm = Wukfrm.get();
    GebF->EinstellF = EinstellF.get();
    GebF->AuswahlF = AuswahlF.get();
    return true;
}
