#pragma once
// The maintainer's look at the raw state: the file header, every field of
// every entry, the lines of "Liste.dat" and the term names; a click on a
// header line lets the maintainer overwrite that field.
#include <QDialog>
#include <QString>
#include <string>

namespace Ui {
class TInternF;
}

class TInternF : public QDialog {
    Q_OBJECT
public:
    explicit TInternF(QWidget* parent = nullptr);
    ~TInternF() override;

    Ui::TInternF* ui;

    // "field,row  value", the value cut to its first line.
    static QString FieldLine(int field, int row);

public slots:
    void FormCreate();
    void FormActivate();
    void ListBox0Click(int line);
    void Button1Click();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Set while the window has not been active since its lists were filled:
    // the activation that follows a showing does not fill them twice.
    bool refillOnActivate_ = true;
};
