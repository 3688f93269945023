#include "res/PropertyGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace res {

GridProperty::GridProperty(const QString& groupName) : m_group(true) {
    setText(0, groupName);
    QFont bold = font(0);
    bold.setBold(true);
    setFont(0, bold);
    // Group rows are shaded, so the items under each stand out.
    setBackground(0, QApplication::palette().color(QPalette::Button));
    Refresh();
}

GridProperty::GridProperty(const QString& name, const QString& value, const QString& description, quintptr data)
    : m_group(false), m_description(description), m_data(data) {
    setText(0, name);
    setText(1, value);
    Refresh();
}

void GridProperty::SetValue(const QString& value) { setText(1, value); }

void GridProperty::AddOption(const QString& option, bool noDuplicates) {
    if (noDuplicates && m_options.contains(option)) return;
    m_options << option;
    Refresh();
}

void GridProperty::AllowEdit(bool allow) {
    m_allowEdit = allow;
    Refresh();
}

void GridProperty::Enable(bool enable) {
    m_enabled = enable;
    Refresh();
}

void GridProperty::Refresh() {
    // Disabled items stay selectable, so their description can still be read.
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (IsEditable()) flags |= Qt::ItemIsEditable;
    setFlags(flags);
    const QBrush text = m_enabled ? QBrush() : QBrush(Qt::gray);
    setForeground(0, text);
    setForeground(1, text);
}

// Creates each value editor and turns a committed edit into PropertyChanged.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(PropertyGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* property = static_cast<GridProperty*>(m_grid->m_tree->itemFromIndex(index));
        if (!property || index.column() != 1 || !property->IsEditable()) return nullptr;
        QWidget* editor = nullptr;
        if (property->Options().isEmpty()) {
            auto* line = new QLineEdit(parent);
            line->setFrame(false);
            editor = line;
        } else {
            auto* combo = new QComboBox(parent);
            combo->setEditable(property->IsAllowedEdit());
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(property->Options());
            // Choosing from the list commits at once.
            connect(combo, &QComboBox::activated, this, [this, combo] {
                if (m_grid->m_editor != combo) return;  // already closed
                auto* self = const_cast<GridDelegate*>(this);
                emit self->commitData(combo);
                emit self->closeEditor(combo);
            });
            if (!property->IsAllowedEdit()) QTimer::singleShot(0, combo, [combo] { combo->showPopup(); });
            editor = combo;
        }
        m_grid->m_editor = editor;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString value = index.data().toString();
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(value);
            line->selectAll();
        } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            if (combo->isEditable()) {
                combo->setEditText(value);
                combo->lineEdit()->selectAll();
            } else {
                combo->setCurrentIndex(combo->findText(value));
            }
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        auto* property = static_cast<GridProperty*>(m_grid->m_tree->itemFromIndex(index));
        if (!property) return;
        QString value;
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            value = line->text();
        } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            value = combo->currentText();
        }
        if (value == property->GetValue()) return;
        property->SetValue(value);
        emit m_grid->PropertyChanged(property);
    }

private:
    PropertyGrid* m_grid;
};

PropertyGrid::PropertyGrid(QWidget* parent)
    : QWidget(parent), m_tree(new QTreeWidget(this)), m_description(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_description);

    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    m_tree->header()->setStretchLastSection(true);
    m_tree->header()->setSectionsMovable(false);
    m_tree->setRootIsDecorated(true);
    m_tree->setAlternatingRowColors(false);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    // Clicks open editors below (at once, not after the double-click wait); F2 too.
    m_tree->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_tree->setItemDelegate(new GridDelegate(this));
    connect(m_tree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] { m_editor = nullptr; });

    // A click on a value opens its editor at once, as on the value's face.
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        auto* property = static_cast<GridProperty*>(item);
        if (column == 1 && property->IsEditable()) EditValue(property);
    });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { ShowDescription(item); });

    m_description->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_description->setTextFormat(Qt::RichText);
    m_description->setWordWrap(true);
    m_description->setMargin(4);
    SetDescriptionRows(3);
}

PropertyGrid::~PropertyGrid() {
    // An editor still open would outlive the view's record of it while the
    // tree is torn down: let the view release it first.
    if (m_editor) emit m_tree->itemDelegate()->closeEditor(m_editor, QAbstractItemDelegate::NoHint);
}

void PropertyGrid::AddProperty(GridProperty* property) {
    m_tree->addTopLevelItem(property);
    if (property->IsGroup()) property->setFirstColumnSpanned(true);
    property->setExpanded(true);
}

int PropertyGrid::GetPropertyCount() const { return m_tree->topLevelItemCount(); }

GridProperty* PropertyGrid::GetProperty(int index) const {
    return static_cast<GridProperty*>(m_tree->topLevelItem(index));
}

void PropertyGrid::SetNameColumnWidth(int pixels) { m_tree->header()->resizeSection(0, pixels); }

int PropertyGrid::NameColumnWidth() const { return m_tree->header()->sectionSize(0); }

void PropertyGrid::SetDescriptionRows(int rows) {
    // A bold name line above the description's rows.
    m_description->setFixedHeight(fontMetrics().lineSpacing() * (rows + 1) + 2 * m_description->margin() + 4);
}

void PropertyGrid::EditValue(GridProperty* property) {
    if (!property || !property->IsEditable()) return;
    m_tree->setCurrentItem(property, 1);
    m_tree->editItem(property, 1);
}

QWidget* PropertyGrid::OpenEditor() const { return m_editor; }

void PropertyGrid::ShowDescription(QTreeWidgetItem* item) {
    if (!item) {
        m_description->clear();
        return;
    }
    auto* property = static_cast<GridProperty*>(item);
    // "\r" in a description starts a new line.
    QString description = property->GetDescription().toHtmlEscaped();
    description.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"))
        .replace(QLatin1Char('\r'), QStringLiteral("<br>"));
    description.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    m_description->setText(QStringLiteral("<b>%1</b><br>%2").arg(property->GetName().toHtmlEscaped(), description));
}

}  // namespace res
