// Termifolio98: sets the title, installs the platform, creates the windows
// in the order the program relies on (the splash's creation runs the whole
// start-up), then runs the event loop.
#include <QApplication>

#include "AuswahlFrm.h"
#include "Einfrm.h"
#include "EinstellFrm.h"
#include "Gebfrm.h"
#include "InternFrm.h"
#include "Ports.h"
#include "Progress.h"
#include "PrufungFrm.h"
#include "QtPlatform.h"
#include "StartFrm.h"
#include "Startup.h"
#include "Views.h"
#include "Wukform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Termifolio98");
    tmf::qt::SetupGermanUi(app);

    tmf::qt::QtPlatform platform;
    tmf::InstallPlatform(platform.platform());
    tmf::InstallEngineProgress();

    TGebF GebF;
    platform.desktop().setMainWindow(&GebF);
    TEinF EinF(&GebF);
    TPrufungF PrufungF(&GebF);
    TStartF StartF;
    tmf::InstallViews({&GebF, &StartF, &PrufungF});
    StartF.FormCreate();
    if (tmf::ProgramEnding()) return 0;

    TInternF InternF;
    TWukfrm Wukfrm(&GebF);
    TEinstellF EinstellF(&GebF);
    TAuswahlF AuswahlF(&GebF);
    if (tmf::ProgramEnding()) return 0;
    return app.exec();
}
