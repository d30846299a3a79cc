#include "experimenttable.h"

#include "mechanisms/numbers.h"

#include <QColor>

namespace ingranix {

using namespace Qt::Literals::StringLiterals;

using notebook::Mark;
using notebook::RowView;
using notebook::Standing;

ExperimentTable::ExperimentTable(const notebook::Notebook &notebook, QObject *parent)
    : QAbstractTableModel(parent), notebook_(notebook), rows_(notebook.rowCount()) {}

int ExperimentTable::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ExperimentTable::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const RowView &ExperimentTable::rowView(int row) const {
    if (row != cachedIndex_) {
        cachedRow_ = notebook_.row(row);
        cachedIndex_ = row;
    }
    return cachedRow_;
}

QVariant ExperimentTable::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.row() >= notebook_.rowCount())
        return {};
    const RowView &row = rowView(index.row());
    const bool counted = row.standing == Standing::Counted;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case InputColumn:
            return row.input;
        case OutputColumn:
            return row.output;
        case ModelColumn:
            return row.modelCaption;
        case MarkColumn:
            return notebook::markText(row.mark);
        case MyPredictionColumn:
            return notebook::myPredictionText(row);
        case NoteColumn:
            return notebook::noteText(row);
        }
        break;
    case Qt::AccessibleTextRole:
        // A screen reader says what the mark means rather than the symbol's name.
        if (index.column() == MarkColumn)
            return notebook::markWords(row.mark);
        if (index.column() == MyPredictionColumn && row.myMark != Mark::None)
            return notebook::myPredictionWords(row);
        return data(index, Qt::DisplayRole);
    case Qt::ToolTipRole:
        // The machine reads decimals with the point only: where the player wrote a comma, the row
        // shows what the machine made of it.
        if (index.column() == InputColumn && row.input.contains(u','))
            return u"La macchina ha letto %1: i decimali si scrivono con il punto"_s.arg(
                numberText(readInputValue(row.input), u"."));
        break;
    case Qt::ForegroundRole:
        if (!counted)
            return QColor(150, 150, 150);
        if (index.column() == MarkColumn)
            return row.mark == Mark::Explained ? QColor(0, 120, 0) : QColor(190, 0, 0);
        if (index.column() == MyPredictionColumn && row.myMark != Mark::None)
            return row.myMark == Mark::Explained ? QColor(0, 120, 0) : QColor(190, 0, 0);
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == MarkColumn)
            return int(Qt::AlignCenter);
        if (index.column() != NoteColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    default:
        break;
    }
    return {};
}

QVariant ExperimentTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1; // the experiment's number in the log
    static const char *const titles[ColumnCount] = {"input",   "output",   "mia previsione",
                                                    "modello", "verifica", "nota"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

void ExperimentTable::rowsAdded() {
    cachedIndex_ = -1;
    const int now = notebook_.rowCount();
    if (now <= rows_) {
        reset();
        return;
    }
    beginInsertRows(QModelIndex(), rows_, now - 1);
    rows_ = now;
    endInsertRows();
}

void ExperimentTable::reset() {
    beginResetModel();
    cachedIndex_ = -1;
    rows_ = notebook_.rowCount();
    endResetModel();
}

void ExperimentTable::modelChanged() {
    cachedIndex_ = -1;
    if (rows_ > 0)
        emit dataChanged(index(0, ModelColumn), index(rows_ - 1, NoteColumn));
}

void ExperimentTable::standingsChanged() {
    cachedIndex_ = -1;
    if (rows_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1));
}

} // namespace ingranix
