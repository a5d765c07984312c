#include "AuswahlFrm.h"

TAuswahlF::TAuswahlF(QWidget* parent) : QDialog(parent) {
    setObjectName("AuswahlF");
    setWindowTitle("Drucken");
    resize(400, 300);
}
