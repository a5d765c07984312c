#pragma once
#include <QDialog>

class TEinstellF : public QDialog {
    Q_OBJECT
public:
    explicit TEinstellF(QWidget* parent = nullptr);
};
