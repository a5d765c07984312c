#include "Dialogs.h"

void TakeDialogScreenshots(const QString&, TGebF&) {}
