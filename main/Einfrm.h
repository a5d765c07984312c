#pragma once
// The entry editor: one entry of the current file created, changed or
// deleted, and the term names kept.
#include <QDialog>

class TEinF : public QDialog {
    Q_OBJECT
public:
    explicit TEinF(QWidget* parent = nullptr);
};
