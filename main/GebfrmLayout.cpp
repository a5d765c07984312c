// The main window can be enlarged: it opens at its form size, which is also
// its smallest size; the grid takes the new room while the controls keep
// their places against the window's edges. The size lives in the program's
// own settings file, not in "Liste.dat", whose layout other tools rely on.
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QSettings>

#include "Gebfrm.h"
#include "Grid.h"
#include "ui_Gebfrm.h"

using namespace tmf;

namespace {

const QSize kFormSize(594, 376);
constexpr const char* kSizeKey = "MainWindow/size";

enum Edge : unsigned { Left = 0, Right = 1, Bottom = 2, Wider = 4, Taller = 8 };

QSettings ProgramSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Termifolio98", "Termifolio98");
}

QSize AvailableScreenSize(const QWidget* w) {
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize(1024, 768);
}

}  // namespace

QSize TGebF::FormSize() { return kFormSize; }

void TGebF::SetupResizing() {
    // How each control follows the window's right and bottom edges; the
    // rest keeps its place at the top left.
    const std::pair<QWidget*, unsigned> edges[] = {
        {ui->Panel2, Wider},       {ui->BitBtn11, Right},         {ui->Panel3, Wider},
        {ui->SG, Wider | Taller},  {ui->StatusBar1, Bottom | Wider}, {ui->StatusPanel0, Wider},
        {ui->StatusPanel1, Right}, {ui->StatusPanel2, Right},     {ui->ProzentText, Right | Bottom},
        {ui->Panel5, Right | Bottom}, {ui->Panel1, Bottom | Wider}, {ui->Ende, Right},
        {ui->GroupBox1, Bottom},
    };
    for (const auto& [widget, edge] : edges) anchors_.push_back({widget, widget->geometry(), edge});
    setMinimumSize(kFormSize);
    programSize_ = kFormSize;
    QSize remembered = ProgramSettings().value(kSizeKey).toSize();
    if (remembered.isValid()) {
        // A size from a larger screen must not push the window off this one.
        programSize_ = remembered.boundedTo(AvailableScreenSize(this)).expandedTo(kFormSize);
    }
    resize(programSize_);
}

bool TGebF::SizedByUser() const {
    // On a screen too small for the window the program gave it (a large
    // scale factor), the window system fits it in: no size there is one the
    // user chose, and the one remembered from a larger screen stays.
    const QSize screen = AvailableScreenSize(this);
    if (programSize_.width() > screen.width() || programSize_.height() > screen.height()) return false;
    return userResized_;
}

void TGebF::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Any other size of the shown window than the one the program gave is
    // the user's (or the window system's, which SizedByUser tells apart).
    if (isVisible() && size() != programSize_) userResized_ = true;
    const int dw = std::max(0, width() - kFormSize.width());
    const int dh = std::max(0, height() - kFormSize.height());
    for (const Anchor& a : anchors_) {
        QRect g = a.form;
        if (a.edges & Right) g.translate(dw, 0);
        if (a.edges & Bottom) g.translate(0, dh);
        if (a.edges & Wider) g.setWidth(g.width() + dw);
        if (a.edges & Taller) g.setHeight(g.height() + dh);
        a.widget->setGeometry(g);
    }
    ApplyColumnWidths();
}

void TGebF::ApplyColumnWidths() {
    // The grid's columns keep their widths at the form size; the room an
    // enlarged window gives goes to the text columns in proportion, the
    // row numbers keep theirs.
    const int extra = std::max(0, width() - kFormSize.width());
    int shared = 0;
    for (int c = 1; c < kGridColumns; ++c) shared += MainGrid.columnWidths[static_cast<std::size_t>(c)];
    int given = 0;
    for (int c = 0; c < kGridColumns; ++c) {
        const int w = MainGrid.columnWidths[static_cast<std::size_t>(c)];
        int add = c == 0 || shared <= 0 ? 0 : extra * w / shared;
        if (c == kGridColumns - 1) add = shared > 0 ? extra - given : 0;  // no pixel lost to rounding
        given += add;
        ui->SG->setColumnWidth(c, w + add);
    }
}

void TGebF::SaveWindowSize() {
    if (!shownOnce_) return;  // a background run never showed the window
    // The program's own size, fitted to this screen, must not replace the
    // size the user chose on another.
    if (!SizedByUser()) return;
    const QSize size = isMaximized() || isFullScreen() ? normalGeometry().size() : this->size();
    if (!size.isValid()) return;
    QSettings settings = ProgramSettings();
    settings.setValue(kSizeKey, size);
    settings.sync();
}

void TGebF::MoveTo(int left, int top) {
    // Offsets were stored for this same size, so the form-sized window lands
    // where it was. An enlarged window is kept on the screen with its title
    // bar, where centring plus old offsets could push it beyond the edges.
    if (size() != kFormSize) {
        const QSize screen = AvailableScreenSize(this);
        left = std::max(0, std::min(left, screen.width() - width()));
        top = std::max(0, std::min(top, screen.height() - height()));
    }
    move(left, top);
}
