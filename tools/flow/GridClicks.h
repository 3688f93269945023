#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QPointer>
#include <QTest>

#include "flow/ComboClicks.h"
#include "flow/Keyboard.h"
#include "res/PropertyGrid.h"

// Mouse and key actions on a property grid as a user makes them.

// Clicks an item's value, which opens its editor.
inline QWidget* ClickValue(res::PropertyGrid* grid, res::GridProperty* property) {
    QTreeWidget* tree = grid->Tree();
    tree->scrollToItem(property);
    const QRect row = tree->visualItemRect(property);
    const int x = tree->header()->sectionViewportPosition(1) + 8;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(x, row.center().y()));
    return grid->OpenEditor();
}

// Clicks a value, types text over it and presses Enter; true once the
// editor has closed (the view commits after the key is handled).
inline bool TypeValue(res::PropertyGrid* grid, res::GridProperty* property, const QString& text) {
    const QPointer<QWidget> editor = ClickValue(grid, property);
    if (!editor) return false;
    TypeIntoFocus(text);
    return PressKey(Qt::Key_Return) && QTest::qWaitFor([&] { return editor.isNull(); }, 2000);
}

// Clicks a value and picks an option in its list with the mouse; false if
// no list opened or the option is not there.
inline bool ChooseOption(res::PropertyGrid* grid, res::GridProperty* property, const QString& option) {
    auto* combo = qobject_cast<QComboBox*>(ClickValue(grid, property));
    if (!combo) return false;
    if (!combo->view()->isVisible()) combo->showPopup();  // an editable list opens by its arrow
    if (!QTest::qWaitFor([&] { return combo->view()->isVisible(); }, 2000)) return false;
    const QPointer<QComboBox> editor = combo;
    // Done when the list has closed and the editor is gone.
    return PickFromOpenList(combo, combo->findText(option)) && QTest::qWaitFor([&] { return editor.isNull(); }, 2000) &&
           Reactivate(grid->window());
}
