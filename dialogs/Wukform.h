#pragma once
// The about box: the maker's address and numbers, a small looping alarm
// clock, and the mail and web addresses handed to the desktop on a click.
#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <cstdint>

namespace Ui {
class TWukfrm;
}

class TWukfrm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFrames = 15;

    explicit TWukfrm(QWidget* parent = nullptr);
    ~TWukfrm() override;

    Ui::TWukfrm* ui;
    QTimer* Timer1;

    // The frame the next tick draws; it runs on across showings.
    int FrameCounter() const { return frame_; }
    // The frame drawn last, -1 before the first tick.
    int LastDrawnFrame() const { return lastDrawn_; }
    const QPixmap& Frame(int i) const { return frames_[static_cast<std::size_t>(i)]; }

public slots:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void Timer1Timer();
    void BitBtn1Click();
    void Label7Click();
    void Label8Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void reject() override;

private:
    static std::array<QPixmap, kFrames> DrawFrames();
    static QPixmap DrawIcon();
    std::array<QPixmap, kFrames> frames_;
    QPixmap canvas_;
    std::uint8_t frame_ = 0;
    int lastDrawn_ = -1;
};
