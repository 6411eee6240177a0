#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include <functional>
#include <utility>
#include <vector>

// One column of a RecordTableModel: its title, its text of a record, and what it sorts by.
template <typename Record> struct RecordColumn {
    using Text = std::function<QString(const Record&)>;
    using Value = std::function<QVariant(const Record&)>;
    using Icon = std::function<QIcon(const Record&)>;

    // Texts, sorted as a person looks them up, letter case aside.
    RecordColumn(QString title, Text text, Icon icon = nullptr)
        : title(std::move(title)), text(std::move(text)), icon(std::move(icon)) {}
    // Sizes, dates, numbers: sorted by the value each stands for.
    RecordColumn(QString title, Text text, Value sortKey, bool alignRight)
        : title(std::move(title)), text(std::move(text)), sortKey(std::move(sortKey)),
          alignRight(alignRight) {}

    QString title;
    Text text;
    Value sortKey; // none: the text, case folded
    bool alignRight = false;
    Icon icon;
};

// A read-only table of records, one a row, its columns given as functions of the record. Each cell also
// answers SortRole with the value it stands for (a number of bytes, a time, a disk number), so that a sort
// proxy orders "900 bytes" before "2.0 KB" and dates by time, not by their text.
template <typename Record> class RecordTableModel final : public QAbstractTableModel {
public:
    static constexpr int SortRole = Qt::UserRole;

    using Column = RecordColumn<Record>;

    explicit RecordTableModel(std::vector<Column> columns, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_columns(std::move(columns)) {}

    void setRecords(std::vector<Record> records) {
        beginResetModel();
        m_records = std::move(records);
        endResetModel();
    }
    const std::vector<Record>& records() const { return m_records; }
    const Record& record(int row) const { return m_records.at(static_cast<std::size_t>(row)); }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_records.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
            return {};
        }
        const Column& column = m_columns[static_cast<std::size_t>(index.column())];
        const Record& row = record(index.row());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return column.text(row);
        case SortRole:
            // Texts sort as a person looks them up, letter case aside.
            return column.sortKey ? column.sortKey(row) : QVariant(column.text(row).toCaseFolded());
        case Qt::DecorationRole:
            return column.icon ? QVariant(column.icon(row)) : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignVCenter |
                                       (column.alignRight ? Qt::AlignRight : Qt::AlignLeft));
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= columnCount()) {
            return QAbstractTableModel::headerData(section, orientation, role);
        }
        return m_columns[static_cast<std::size_t>(section)].title;
    }

private:
    std::vector<Column> m_columns;
    std::vector<Record> m_records;
};
