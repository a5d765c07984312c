#include "Einfrm.h"

TEinF::TEinF(QWidget* parent) : QDialog(parent) {
    setObjectName("EinF");
    setWindowTitle("Eingabe-Bearbeiten");
    setFixedSize(469, 260);
}
