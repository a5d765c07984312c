#include "DialogPlacement.h"

#include <QWidget>

namespace tmf::ui {

void PlaceFrameAt(QWidget* dialog, int left, int top) {
    const QWidget* main = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    int frameLeft = 0;
    int frameTop = 0;
    if (main && main->isVisible()) {
        frameLeft = main->geometry().left() - main->frameGeometry().left();
        frameTop = main->geometry().top() - main->frameGeometry().top();
    }
    dialog->setGeometry(left + frameLeft, top + frameTop, dialog->width(), dialog->height());
}

}  // namespace tmf::ui
