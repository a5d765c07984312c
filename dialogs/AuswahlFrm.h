#pragma once
#include <QDialog>

class TAuswahlF : public QDialog {
    Q_OBJECT
public:
    explicit TAuswahlF(QWidget* parent = nullptr);
};
