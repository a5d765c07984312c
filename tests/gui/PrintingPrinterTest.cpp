// Printing through the real Qt printer into a PDF file, and the printer and
// font dialogs of the print button.
#include <QApplication>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTimer>
#include <filesystem>

#include "PrintCanvasQt.h"
#include "PrintingTestSupport.h"
#include "TempDir.h"

using namespace tmf;
using namespace tmf::test;

namespace {

QString PdfTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PdfPages(const std::string& path) {
    const QString info = PdfTool("pdfinfo", {QString::fromStdString(path)});
    for (const QString& line : info.split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return -1;
}

class PrintingToPdf : public PrintingTest {
protected:
    // Prints the ticked entries with the dialog's font into a PDF file.
    int PrintToPdf(const std::string& path) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(path));
        qt::QtPrintCanvas canvas(printer, dialog.printFont);
        dialog.Print(canvas);
        lineHeight = canvas.TextHeight(kWidthSample);
        pageHeight = printer.pageLayout().paintRectPixels(qt::QtPrintCanvas::kDotsPerInch).height();
        return canvas.pages();
    }
    TempDir out;
    int lineHeight = 0;
    int pageHeight = 0;
};

}  // namespace

TEST_F(PrintingToPdf, SeventyEntriesGiveTwoPagesWithTheHeaderAndEveryEntry) {
    Fill(Numbered(70));
    TickAll();
    const std::string pdf = out.file("liste.pdf");
    EXPECT_EQ(PrintToPdf(pdf), 2);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(PdfPages(pdf), 2);
    const QString text = PdfTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    EXPECT_TRUE(text.contains("/home/anna/daten/Familie.tmf - vom 07.12.2026 um 09:05"));
    EXPECT_TRUE(text.contains("Vor1 "));
    EXPECT_TRUE(text.contains("Nach70"));
    // Sixty-one lines of the print font fit into the printable height.
    EXPECT_GT(lineHeight, 0);
    EXPECT_LE(61 * lineHeight, pageHeight);
}

TEST_F(PrintingToPdf, NothingTickedGivesOnePage) {
    Fill(Numbered(3));
    const std::string pdf = out.file("leer.pdf");
    EXPECT_EQ(PrintToPdf(pdf), 1);
    EXPECT_EQ(PdfPages(pdf), 1);
}

TEST_F(PrintingToPdf, TheColumnsKeepTheirPlacesAtAnyPrinterResolution) {
    // The layout is in pixels of a 300 dpi page: a 600 dpi printer scales
    // it, it does not squeeze it into the top-left quarter.
    QPrinter fine(QPrinter::HighResolution);
    fine.setResolution(600);
    fine.setOutputFormat(QPrinter::PdfFormat);
    fine.setOutputFileName(QString::fromStdString(out.file("600.pdf")));
    qt::QtPrintCanvas canvas(fine, dialog.printFont);
    QPrinter coarse(QPrinter::HighResolution);
    coarse.setResolution(300);
    coarse.setOutputFormat(QPrinter::PdfFormat);
    coarse.setOutputFileName(QString::fromStdString(out.file("300.pdf")));
    qt::QtPrintCanvas canvas300(coarse, dialog.printFont);
    EXPECT_EQ(canvas.TextWidth(kWidthSample), canvas300.TextWidth(kWidthSample));
    EXPECT_EQ(canvas.TextHeight(kWidthSample), canvas300.TextHeight(kWidthSample));
}

TEST_F(PrintingToPdf, CancellingThePrinterDialogPrintsNothingAndAsksForNoFont) {
    Fill(Numbered(3));
    TickAll();
    QStringList seen;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        seen << modal->metaObject()->className();
        if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
    });
    poll.start();
    const std::string pdf = out.file("nie.pdf");
    dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.Printer().setOutputFileName(QString::fromStdString(pdf));
    dialog.findChild<QPushButton*>("BitBtn4")->click();
    EXPECT_EQ(seen, QStringList{"QPrintDialog"});
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(PrintingToPdf, CancellingTheFontDialogPrintsWithTheFontAsItWas) {
    Fill(Numbered(3));
    TickAll();
    const QFont before = dialog.printFont;
    QStringList seen;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        seen << modal->metaObject()->className();
        if (auto* p = qobject_cast<QPrintDialog*>(modal))
            p->accept();
        else if (auto* f = qobject_cast<QFontDialog*>(modal)) {
            f->setCurrentFont(QFont("Liberation Serif", 20));
            f->reject();
        }
    });
    poll.start();
    const std::string pdf = out.file("druck.pdf");
    dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.Printer().setOutputFileName(QString::fromStdString(pdf));
    dialog.findChild<QPushButton*>("BitBtn4")->click();
    EXPECT_EQ(seen, (QStringList{"QPrintDialog", "QFontDialog"}));
    EXPECT_EQ(dialog.printFont, before);
    EXPECT_EQ(PdfPages(pdf), 1);
    EXPECT_TRUE(dialog.isVisible());  // the dialog stays open for another print
}

TEST_F(PrintingToPdf, APrinterThatCannotStartTheDocumentIsReported) {
    Fill(Numbered(3));
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<QDialog*>(modal); d && d->isVisible() && d != &dialog) d->accept();
    });
    poll.start();
    dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.Printer().setOutputFileName(QString::fromStdString(out.file("fehlt/druck.pdf")));
    dialog.findChild<QPushButton*>("BitBtn4")->click();
    EXPECT_EQ(platform.messageTexts(),
              std::vector<std::string>{"Der Drucker konnte nicht angesprochen werden !"});
}
