#pragma once

#include <QPointer>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

class QLabel;

namespace res {

// One row of a property grid: a group that holds items, or an item with a
// string value, a description, a data code and optional choices.
class GridProperty : public QTreeWidgetItem {
public:
    // A group.
    explicit GridProperty(const QString& groupName);
    // An item.
    GridProperty(const QString& name, const QString& value, const QString& description, quintptr data = 0);

    bool IsGroup() const { return m_group; }
    QString GetName() const { return text(0); }
    QString GetValue() const { return text(1); }
    // Sets the shown value; raises no change notification.
    void SetValue(const QString& value);
    QString GetDescription() const { return m_description; }
    quintptr GetData() const { return m_data; }

    // Adds a choice; with noDuplicates a choice already there is not added again.
    void AddOption(const QString& option, bool noDuplicates = true);
    const QStringList& Options() const { return m_options; }
    // Whether text may be typed (otherwise only a choice, or nothing).
    void AllowEdit(bool allow);
    bool IsAllowedEdit() const { return m_allowEdit; }
    void Enable(bool enable);
    bool IsEnabled() const { return m_enabled; }
    // Whether the technician can change the value at all.
    bool IsEditable() const { return !m_group && m_enabled && (m_allowEdit || !m_options.isEmpty()); }

    void AddSubItem(GridProperty* item) { addChild(item); }

private:
    void Refresh();

    bool m_group;
    QString m_description;
    quintptr m_data = 0;
    QStringList m_options;
    bool m_allowEdit = true;
    bool m_enabled = true;
};

// A two-column grid of named values in groups, with a description area under
// it. Values are edited in place: text in a line, choices in a list. Each
// committed change (Enter, a choice, or leaving the editor) that alters a
// value raises PropertyChanged; Escape drops the edit.
class PropertyGrid : public QWidget {
    Q_OBJECT

public:
    explicit PropertyGrid(QWidget* parent = nullptr);
    ~PropertyGrid() override;

    // Adds a top-level group (or item); the grid owns it.
    void AddProperty(GridProperty* property);
    int GetPropertyCount() const;
    GridProperty* GetProperty(int index) const;

    void SetNameColumnWidth(int pixels);
    int NameColumnWidth() const;
    // Height of the description area in text rows.
    void SetDescriptionRows(int rows);

    // Opens the value editor of an item, as a click on its value does.
    void EditValue(GridProperty* property);
    // The open value editor, or nullptr.
    QWidget* OpenEditor() const;

    QTreeWidget* Tree() const { return m_tree; }
    QLabel* DescriptionArea() const { return m_description; }

signals:
    void PropertyChanged(res::GridProperty* property);

private:
    friend class GridDelegate;
    void ShowDescription(QTreeWidgetItem* item);

    QTreeWidget* m_tree;
    QLabel* m_description;
    QPointer<QWidget> m_editor;
};

}  // namespace res
