#include "ui/forms/FolderListBox.h"

#include "core/disks/FolderListing.h"
#include "core/runtime/RuntimeError.h"
#include "ui/forms/FolderListModel.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace {

// Shifts each row right by its level, as the classic control shows the folder tree.
class IndentingDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int StepPixels = 10;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(indentOf(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indentOf(index), 0);
    }

private:
    static int indentOf(const QModelIndex& index) {
        return index.data(FolderListModel::IndentRole).toInt() * StepPixels;
    }
};

} // namespace

FolderListBox::FolderListBox(QWidget* parent) : QListView(parent), m_model(new FolderListModel(this)) {
    setModel(m_model);
    setItemDelegate(new IndentingDelegate(this));
    // Every row has the same height: the view then lays out 100,000 rows without asking each one.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QListView::doubleClicked, this, &FolderListBox::openRow);
}

std::string FolderListBox::path() const {
    return m_model->path();
}

void FolderListBox::setPath(const std::string& path) {
    std::string normal = NormalFolderPath(path);
    std::vector<std::string> subfolders = ListSubfolders(normal); // fails before the list changes
    const bool changed = normal != m_model->path();
    m_model->show(std::move(normal), std::move(subfolders));
    setCurrentIndex(m_model->index(m_model->currentRow()));
    scrollTo(currentIndex());
    if (changed) {
        emit Change();
    }
}

int FolderListBox::rowOf(int index) const {
    return m_model->currentRow() + 1 + index;
}

int FolderListBox::listIndex() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        return -1;
    }
    return current.row() - m_model->currentRow() - 1;
}

void FolderListBox::setListIndex(int index) {
    const int row = rowOf(index);
    if (row < 0 || row >= m_model->rowCount()) {
        throw RuntimeError(RuntimeError::InvalidProcedureCall);
    }
    setCurrentIndex(m_model->index(row));
}

int FolderListBox::listCount() const {
    return static_cast<int>(m_model->subfolderCount());
}

std::string FolderListBox::list(int index) const {
    return m_model->fullPath(rowOf(index));
}

void FolderListBox::openRow(const QModelIndex& row) {
    if (!row.isValid()) {
        return;
    }
    try {
        setPath(m_model->fullPath(row.row()));
    } catch (const RuntimeError&) {
        // The folder went away since it was listed; the list stays where it was.
    }
}

void FolderListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openRow(currentIndex());
        return;
    }
    QListView::keyPressEvent(event);
}

void FolderListBox::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    emit LostFocus();
}
