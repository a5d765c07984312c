#pragma once
// Pictures of the dialogs that open from the main window; called by the
// screenshot program with the main window already filled.
#include <QString>

class TGebF;
void TakeDialogScreenshots(const QString& dir, TGebF& main);
void TakeEditorScreenshots(const QString& dir, TGebF& main);
void TakeExchangeScreenshots(const QString& dir, TGebF& main);
void TakeAbgleichScreenshots(const QString& dir, TGebF& main);
