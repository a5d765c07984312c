#pragma once
// The check results of one file: warnings, due dates and passed-over dates,
// drawn row by row; a click opens the entry, "O K" deletes the due entries
// that are flagged for deletion.
#include <QDialog>
#include <QPixmap>
#include <QStringList>
#include <array>
#include <functional>

#include "Views.h"

namespace Ui {
class TPrufungF;
}

class TPrufungF : public QDialog, public tmf::ResultsView {
    Q_OBJECT
public:
    explicit TPrufungF(QWidget* parent = nullptr);
    ~TPrufungF() override;

    void ShowModal() override;

    // Opens the entry editor on SelectedEntry in the mode "Prüfen"; the
    // main window provides it.
    std::function<void()> openEntryEditor;

    Ui::TPrufungF* ui;
    static constexpr int kRowHeight = 18;
    static constexpr int kVisibleRows = 7;
    // Grid row of the result list shown in the band at image height y, or 0.
    int RowAt(int y) const;
    // The texts drawn into the band, top to bottom: "label |line".
    const QStringList& ShownRows() const { return shownRows_; }

public slots:
    void FormShow();
    void ScrollBar1Change(int position);
    void AusMouseUp(int y);
    void BitBtn1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void DrawRows(int first, int last);
    void SetSummary(const QString& text);
    void DrawCell(QPainter& p, int x1, int y1, int x2, int y2);
    static std::array<QPixmap, 4> DrawIcons();
    QPixmap canvas_;
    std::array<QPixmap, 4> icons_;
    QStringList shownRows_;
    int firstDrawn_ = 1;
    int lastDrawn_ = 0;
};
