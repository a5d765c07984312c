#pragma once
// The program's windows, created once in the order the start-up relies on:
// the splash's creation runs the whole start-up, so only the main window,
// the entry editor and the results dialog exist while it checks.
#include <functional>
#include <memory>

#include "AuswahlFrm.h"
#include "Einfrm.h"
#include "EinstellFrm.h"
#include "Gebfrm.h"
#include "InternFrm.h"
#include "PrufungFrm.h"
#include "StartFrm.h"
#include "Wukform.h"

class Program {
public:
    // mainWindowCreated lets the platform know the main window (it disables
    // it while sorting). Returns false when the program ended during the
    // start-up (background mode, or a current file that cannot be loaded).
    bool Create(const std::function<void(QWidget*)>& mainWindowCreated = {});

    std::unique_ptr<TGebF> GebF;
    std::unique_ptr<TEinF> EinF;
    std::unique_ptr<TPrufungF> PrufungF;
    std::unique_ptr<TStartF> StartF;
    std::unique_ptr<TInternF> InternF;
    std::unique_ptr<TWukfrm> Wukfrm;
    std::unique_ptr<TEinstellF> EinstellF;
    std::unique_ptr<TAuswahlF> AuswahlF;
};
