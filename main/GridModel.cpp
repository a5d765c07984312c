#include "GridModel.h"

#include <QApplication>
#include <QBrush>
#include <QFont>
#include <QPalette>

#include "Grid.h"

using tmf::MainGrid;

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : MainGrid.rowCount() - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : tmf::kGridColumns; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() + 1 >= MainGrid.rowCount()) return {};
    if (role == Qt::DisplayRole) {
        const std::string_view text = MainGrid.text(index.column(), index.row() + 1);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (index.column() == 0) {
        // The number column looks like the fixed column it stands for.
        if (role == Qt::BackgroundRole) return QApplication::palette().button();
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
            case 1: return QStringLiteral("Vorname");
            case 2: return QStringLiteral("Nachname");
            case 3: return QStringLiteral("Terminart");
            case 4: return valueTitle ? valueTitle() : QString();
            default: return QString();
        }
    }
    if (role == Qt::ForegroundRole) return QBrush(Qt::blue);
    if (role == Qt::FontRole) {
        QFont f = QApplication::font();
        f.setBold(true);
        return f;
    }
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void GridModel::Reset() {
    beginResetModel();
    endResetModel();
}
