#pragma once

#include "notebook/notebook.h"

#include <QAbstractTableModel>

namespace ingranix {

// The notebook's experiments as a table: input and output as logged, the player's own prediction with
// its mark, the model's value, the mark, and a note. The notebook changes first; the owner then tells this
// table what changed, so the views repaint only what they must.
class ExperimentTable : public QAbstractTableModel {
    Q_OBJECT
public:
    // The player's own prediction stands beside the output, in sight however narrow the notebook.
    enum Column {
        InputColumn,
        OutputColumn,
        MyPredictionColumn,
        ModelColumn,
        MarkColumn,
        NoteColumn,
        ColumnCount
    };

    explicit ExperimentTable(const notebook::Notebook &notebook, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void rowsAdded();        // the notebook has new experiments at its end
    void reset();            // the log was emptied, or every row may read differently
    void modelChanged();     // the player's model changed: values, marks and notes
    void standingsChanged(); // other settings: rows may count or not

private:
    const notebook::RowView &rowView(int row) const;

    const notebook::Notebook &notebook_;
    int rows_ = 0;
    // A view asks for every cell and role of a row in turn: each row is read from the notebook once.
    mutable int cachedIndex_ = -1;
    mutable notebook::RowView cachedRow_;
};

} // namespace ingranix
