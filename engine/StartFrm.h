#pragma once
// The splash window: shown modally at start, it runs the start-up decision,
// then either closes after a short count or, in the background mode, counts
// down and ends the program.
#include <QDialog>
#include <QTimer>
#include <cstdint>

#include "Views.h"

namespace Ui {
class TStartF;
}

class TStartF : public QDialog, public tmf::SplashView {
    Q_OBJECT
public:
    explicit TStartF(QWidget* parent = nullptr);
    ~TStartF() override;

    void FormCreate();  // runs InitProgram

    // SplashView
    void SetFileCaption(const std::string& text) override;
    void SetProgressText(const std::string& text) override;
    void SetProgressValue(int percent) override;
    void ShowModal() override;

    Ui::TStartF* ui;
    QTimer* Timer1;

public slots:
    void FormShow();
    void FormActivate();
    void Timer1Timer();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QPixmap DrawLogo() const;
    bool activated_ = false;
    bool mayClose_ = false;
    std::int16_t countdown_ = 0;  // never reset within a run
};
