// What a screen reader finds on the real main window: a name for every control
// a user can reach, and the lists' column headers.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QLineEdit>

#include "app/VeskoraRFConfigurationDlg.h"
#include "res/ComboBox.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "res/TemplateBuilder.h"
#include "support/PromptRecorder.h"

namespace {

QString AccessibleName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

// Where a widget sits, for a failure message.
QString PathOf(const QWidget* w) {
    QString path;
    for (; w; w = w->parentWidget()) {
        path.prepend(QStringLiteral("/%1(%2)").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName()));
    }
    return path;
}

class Accessibility : public testing::Test {
protected:
    void SetUp() override {
        main.Create();
        main.showNormal();
    }
    PromptRecorder prompts;
    CVeskoraRFConfigurationDlg main;
};

}  // namespace

TEST_F(Accessibility, EveryReachableControlOfEveryPageHasANameAndEveryListItsColumnHeaders) {
    EXPECT_FALSE(AccessibleName(&main).isEmpty());
    int checked = 0;
    {
        for (QWidget* w : main.findChildren<QWidget*>()) {
            // A line edit inside an item view is the view's own editor, named by its cell.
            const bool reachable = (w->focusPolicy() & Qt::TabFocus) != 0;
            if (!reachable || qobject_cast<QAbstractItemView*>(w->parentWidget())) continue;
            ++checked;
            EXPECT_FALSE(AccessibleName(w).isEmpty()) << PathOf(w).toStdString();
            auto* view = qobject_cast<QAbstractItemView*>(w);
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
            QAccessibleTableInterface* table = face ? face->tableInterface() : nullptr;
            if (!view || !table) continue;
            for (int c = 0; c < table->columnCount(); ++c) {
                EXPECT_FALSE(table->columnDescription(c).isEmpty()) << PathOf(w).toStdString() << " column " << c;
            }
        }
    }
    EXPECT_GT(checked, 30);

    // Names read as the page's labels say, distinct where one group holds several lists.
    RFConfigDlg& rf = main.m_dlgRfConfig;
    EXPECT_EQ(AccessibleName(res::FindControl(&rf, 1020)), QStringLiteral("Port"));
    EXPECT_EQ(AccessibleName(rf.m_ipAddress->Field(3)), QStringLiteral("IP address, part 4 of 4"));
    EXPECT_EQ(AccessibleName(rf.m_comboRepeater), QStringLiteral("Repeater 설정"));
    EXPECT_NE(AccessibleName(rf.m_listNetKeys), AccessibleName(rf.m_listGatewayModules));
}
