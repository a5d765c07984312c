#pragma once
// The print canvas on a Qt printer. Positions and sizes are pixels of a
// 300 dpi page, whatever the printer's own resolution, so that the layout
// comes out the same on every printer and in a PDF file.
#include <QFont>
#include <QPainter>

#include "PrintCanvas.h"

class QPrinter;

namespace tmf::qt {

class QtPrintCanvas : public PrintCanvas {
public:
    static constexpr int kDotsPerInch = 300;

    // font: its point size is kept, whatever unit it was given in.
    QtPrintCanvas(QPrinter& printer, const QFont& font);

    bool BeginDoc() override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void NewPage() override;
    void EndDoc() override;

    int pages() const { return pages_; }

private:
    QPrinter& printer_;
    QFont font_;
    QPainter painter_;
    int pages_ = 0;
};

}  // namespace tmf::qt
