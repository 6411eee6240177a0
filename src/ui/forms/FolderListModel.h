#pragma once

#include <QAbstractListModel>
#include <QIcon>

#include <string>
#include <vector>

// The rows of the folder list: the ancestors of the current path (root first), the path itself, then its
// subfolders. Row texts are made on demand, so a folder with very many subfolders costs one string each.
class FolderListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The indentation level of a row, for the delegate.
    static constexpr int IndentRole = Qt::UserRole + 1;

    explicit FolderListModel(QObject* parent = nullptr);

    // Shows a listed folder: its normal path and its sorted subfolder names.
    void show(std::string normalPath, std::vector<std::string> subfolders);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const std::string& path() const { return m_path; }
    // The row of the current path; the rows above it are its ancestors.
    int currentRow() const { return static_cast<int>(m_ancestors.size()); }
    std::size_t subfolderCount() const { return m_subfolders.size(); }
    // The full path of a row; empty outside the rows.
    std::string fullPath(int row) const;

private:
    std::string m_path;
    std::vector<std::string> m_ancestors;
    std::vector<std::string> m_subfolders;
    QIcon m_openIcon;
    QIcon m_closedIcon;
};
