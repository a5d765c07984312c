// Printing through the real Qt printer into a PDF file, and the printer and
// font dialogs of the print button.
#include <QApplication>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>

#include "Cp1252.h"
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

// The words of a PDF's pages with the top left corners of their boxes, in
// points, as pdftotext -bbox gives them.
struct PdfWord {
    QString text;
    double x = 0;
    double y = 0;
};

std::vector<PdfWord> PdfWords(const std::string& path) {
    static const QRegularExpression word(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="[0-9.]+" yMax="[0-9.]+">([^<]*)</word>)re");
    std::vector<PdfWord> words;
    const QString html = PdfTool("pdftotext", {"-bbox", QString::fromStdString(path), "-"});
    for (auto m = word.globalMatch(html); m.hasNext();) {
        const auto hit = m.next();
        words.push_back({hit.captured(3), hit.captured(1).toDouble(), hit.captured(2).toDouble()});
    }
    return words;
}

PdfWord Find(const std::vector<PdfWord>& words, const QString& text) {
    for (const PdfWord& w : words)
        if (w.text == text) return w;
    ADD_FAILURE() << "not on the page: " << text.toStdString();
    return {};
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
        charWidth = canvas.TextWidth(kWidthSample) / static_cast<int>(Utf8Length(kWidthSample));
        pageHeight = printer.pageLayout().paintRectPixels(qt::QtPrintCanvas::kDotsPerInch).height();
        paintRect = printer.pageLayout().paintRect(QPageLayout::Point);
        return canvas.pages();
    }
    // Where a position of the 300 dpi layout lands on the page, in points.
    double PageX(int x) const { return paintRect.left() + x * 72.0 / qt::QtPrintCanvas::kDotsPerInch; }
    double Points(int pixels) const { return pixels * 72.0 / qt::QtPrintCanvas::kDotsPerInch; }

    TempDir out;
    int lineHeight = 0;
    int charWidth = 0;
    int pageHeight = 0;
    QRectF paintRect;
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

TEST_F(PrintingToPdf, EveryTextStandsInItsColumnAndLineOnThePage) {
    Fill(Numbered(3));
    TickAll();
    const std::string pdf = out.file("spalten.pdf");
    ASSERT_EQ(PrintToPdf(pdf), 1);
    const auto words = PdfWords(pdf);
    ASSERT_FALSE(words.empty());
    EXPECT_NEAR(Find(words, "/home/anna/daten/Familie.tmf").x, PageX(kPrintLeft), 1.0);
    // Number, first name, last name, term name and value in their columns.
    const QString value = QString::fromStdString(std::string(MainGrid.text(4, 1)));
    ASSERT_FALSE(value.isEmpty());
    const struct {
        QString text;
        int column;
    } columns[] = {{"1.", 1}, {"Vor1", 7}, {"Nach1", 35}, {"Geburtstag", 65}, {value, 85}};
    for (const auto& c : columns)
        EXPECT_NEAR(Find(words, c.text).x, PageX(kPrintLeft + c.column * charWidth), 1.0) << c.text.toStdString();
    // A line of the print font apart, the first entry one empty line below the header.
    const double header = Find(words, "/home/anna/daten/Familie.tmf").y;
    for (int n = 1; n <= 3; ++n)
        EXPECT_NEAR(Find(words, QString("Vor%1").arg(n)).y - header, (n + 1) * Points(lineHeight), 0.5) << n;
    EXPECT_NEAR(header, paintRect.top(), Points(lineHeight));
}

TEST_F(PrintingToPdf, TheFontChosenInTheFontDialogIsTheOneOnThePaper) {
    Fill(Numbered(3));
    TickAll();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (auto* p = qobject_cast<QPrintDialog*>(modal))
            p->accept();
        else if (auto* f = qobject_cast<QFontDialog*>(modal)) {
            f->setCurrentFont(QFont("Liberation Serif", 20));
            f->accept();
        }
    });
    poll.start();
    const std::string pdf = out.file("serif.pdf");
    dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.Printer().setOutputFileName(QString::fromStdString(pdf));
    dialog.findChild<QPushButton*>("BitBtn4")->click();
    poll.stop();
    EXPECT_EQ(dialog.printFont.family(), "Liberation Serif");
    EXPECT_TRUE(PdfTool("pdffonts", {QString::fromStdString(pdf)}).contains("LiberationSerif"));
    // Twenty points a line at least: the lines stand that far apart.
    const auto words = PdfWords(pdf);
    EXPECT_GE(Find(words, "Vor2").y - Find(words, "Vor1").y, 20.0);
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
