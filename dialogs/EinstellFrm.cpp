#include "EinstellFrm.h"

TEinstellF::TEinstellF(QWidget* parent) : QDialog(parent) {
    setObjectName("EinstellF");
    setWindowTitle("Einstellungen");
    resize(368, 215);
}
