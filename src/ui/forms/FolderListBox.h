#pragma once

#include <QListView>

#include <string>

class FolderListModel;

// The folder list (`dirList`): the ancestors of the current path, the path, then its subfolders, each
// indented one step deeper than the row above its level, with open and closed folder icons.
//
// Entries are numbered as the classic control numbers them: the current path is -1, its parent -2 and so
// on up to the root; the subfolders are 0 to listCount() - 1.
class FolderListBox : public QListView {
    Q_OBJECT
public:
    explicit FolderListBox(QWidget* parent = nullptr);

    // The folder listed; empty before the first setPath.
    std::string path() const;
    // Lists a folder and selects its entry. A folder that cannot be read fails with "Path not found" and
    // leaves the list as it was. Raises Change when the path differs from the one shown.
    void setPath(const std::string& path);

    // The selected entry (-1: the current path).
    int listIndex() const;
    // Selects an entry without opening it; an index outside the entries fails with "Invalid procedure call".
    void setListIndex(int index);
    // The number of subfolders.
    int listCount() const;
    // The full path of an entry; empty for an index outside the entries.
    std::string list(int index) const;

signals:
    // The path changed.
    void Change();
    // The input focus left the list.
    void LostFocus();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int rowOf(int index) const;
    void openRow(const QModelIndex& row);

    FolderListModel* m_model;
};
