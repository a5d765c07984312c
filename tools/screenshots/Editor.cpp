#include "Dialogs.h"

void TakeEditorScreenshots(const QString&, TGebF&) {}
