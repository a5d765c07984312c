#pragma once
#include <QDialog>

class TInternF : public QDialog {
    Q_OBJECT
public:
    explicit TInternF(QWidget* parent = nullptr);
};
