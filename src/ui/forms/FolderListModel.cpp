#include "ui/forms/FolderListModel.h"

#include "core/disks/FolderListing.h"

#include <QApplication>
#include <QStyle>

FolderListModel::FolderListModel(QObject* parent) : QAbstractListModel(parent) {
    if (QStyle* style = QApplication::style()) {
        m_openIcon = style->standardIcon(QStyle::SP_DirOpenIcon);
        m_closedIcon = style->standardIcon(QStyle::SP_DirClosedIcon);
    }
}

void FolderListModel::show(std::string normalPath, std::vector<std::string> subfolders) {
    beginResetModel();
    m_ancestors = FolderAncestors(normalPath);
    m_path = std::move(normalPath);
    m_subfolders = std::move(subfolders);
    endResetModel();
}

int FolderListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_path.empty()) {
        return 0;
    }
    return static_cast<int>(m_ancestors.size() + 1 + m_subfolders.size());
}

std::string FolderListModel::fullPath(int row) const {
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    const auto r = static_cast<std::size_t>(row);
    if (r < m_ancestors.size()) {
        return m_ancestors[r];
    }
    if (r == m_ancestors.size()) {
        return m_path;
    }
    const std::string& name = m_subfolders[r - m_ancestors.size() - 1];
    return m_path == "/" ? "/" + name : m_path + "/" + name;
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto r = static_cast<std::size_t>(index.row());
    const bool opened = r <= m_ancestors.size();
    switch (role) {
    case Qt::DisplayRole:
        if (r < m_ancestors.size()) {
            return QString::fromStdString(FolderName(m_ancestors[r]));
        }
        if (r == m_ancestors.size()) {
            return QString::fromStdString(FolderName(m_path));
        }
        return QString::fromStdString(m_subfolders[r - m_ancestors.size() - 1]);
    case Qt::DecorationRole:
        return opened ? m_openIcon : m_closedIcon;
    case Qt::ToolTipRole:
        return QString::fromStdString(fullPath(index.row()));
    case IndentRole:
        return static_cast<int>(opened ? r : m_ancestors.size() + 1);
    default:
        return {};
    }
}
