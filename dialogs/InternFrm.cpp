#include "InternFrm.h"

TInternF::TInternF(QWidget* parent) : QDialog(parent) {
    setObjectName("InternF");
    setWindowTitle("InternF");
    resize(625, 498);
}
