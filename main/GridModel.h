#pragma once
// Shows the engine's string grid in the main window's table view without
// copying it: 32,000 rows cost nothing until they are painted.
#include <QAbstractTableModel>
#include <functional>

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The title of the value column follows the output list's text.
    std::function<QString()> valueTitle;
    // Model row r shows grid row r + 1.
    static int GridRow(int modelRow) { return modelRow + 1; }

    void Reset();
};
