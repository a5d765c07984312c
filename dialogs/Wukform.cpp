#include "Wukform.h"

TWukfrm::TWukfrm(QWidget* parent) : QDialog(parent) {
    setObjectName("Wukfrm");
    setWindowTitle("Wuk-Soft seit 1993");
    resize(190, 279);
}
