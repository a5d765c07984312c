#pragma once
#include <QDialog>

class TWukfrm : public QDialog {
    Q_OBJECT
public:
    explicit TWukfrm(QWidget* parent = nullptr);
};
