#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "flow/Keyboard.h"
#include "netview/AboutSite.h"
#include "res/ComboBox.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "support/Modal.h"

TEST(IpAddressCtrl, TypingMovesAcrossFieldsOnDotsAndThirdDigits) {
    res::IpAddressCtrl ip;
    ShowActive(ip);
    ip.Field(0)->setFocus();
    TypeIntoFocus(QStringLiteral("1270.0.1"));
    quint32 address = 0;
    EXPECT_EQ(ip.GetAddress(address), 4);
    EXPECT_EQ(address, 0x7F000001u);
    EXPECT_EQ(ip.Text(), QStringLiteral("127.0.0.1"));
}

TEST(IpAddressCtrl, TypingAnAddressOverThePresetOneReplacesItFieldByField) {
    res::IpAddressCtrl ip;
    ShowActive(ip);
    ip.SetAddress(192, 168, 1, 200);
    ip.Field(0)->setFocus();
    ip.Field(0)->selectAll();
    TypeIntoFocus(QStringLiteral("127.0.0.1"));
    EXPECT_EQ(ip.Text(), QStringLiteral("127.0.0.1"));
    ip.Field(0)->setFocus();
    ip.Field(0)->selectAll();
    TypeIntoFocus(QStringLiteral("10.1.22.3"));
    EXPECT_EQ(ip.Text(), QStringLiteral("10.1.22.3"));
}

TEST(IpAddressCtrl, ValuesAboveTheByteRangeAreClampedAndLettersRefused) {
    res::IpAddressCtrl ip;
    ShowActive(ip);
    ip.Field(0)->setFocus();
    TypeIntoFocus(QStringLiteral("9x99"));
    EXPECT_EQ(ip.Field(0)->text(), QStringLiteral("255"));
    EXPECT_EQ(QApplication::focusWidget(), ip.Field(1));
}

TEST(IpAddressCtrl, BackspaceAtAFieldStartGoesBackAndBlankFieldsCountAsUnfilled) {
    res::IpAddressCtrl ip;
    ShowActive(ip);
    ip.SetAddress(10, 1, 2, 3);
    ip.Field(2)->setFocus();
    ip.Field(2)->setCursorPosition(0);
    QTest::keyClick(ip.Field(2), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), ip.Field(1));
    ip.Field(3)->clear();
    quint32 address = 0;
    EXPECT_EQ(ip.GetAddress(address), 3);
    EXPECT_EQ(address, 0x0A010200u);
    ip.ClearAddress();
    EXPECT_TRUE(ip.IsBlank());
    EXPECT_EQ(ip.Text(), QStringLiteral("..."));
}

TEST(ListCtrl, ReportsCheckChangesFromCodeAndFromClicksOnce) {
    res::ListCtrl list;
    list.SetExtendedStyle(res::ListCtrl::kCheckBoxes | res::ListCtrl::kGridLines | res::ListCtrl::kFullRowSelect);
    list.InsertColumn(0, QStringLiteral("Nodes"));
    list.InsertColumn(1, QStringLiteral("ID"));
    for (int i = 0; i < 3; ++i) list.InsertItem(i, QStringLiteral("row %1").arg(i));
    list.resize(300, 200);
    list.show();
    QSignalSpy changes(&list, &res::ListCtrl::CheckChanged);

    list.SetCheck(1, true);
    list.SetCheck(1, true);  // no change, no report
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toInt(), 1);
    EXPECT_TRUE(changes[0][1].toBool());

    // A click on the check box of row 2.
    const QRect cell = list.visualRect(list.model()->index(2, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 10, cell.center().y()));
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[1][0].toInt(), 2);
    EXPECT_TRUE(list.GetCheck(2));
}

TEST(ListCtrl, ClicksBelowTheRowsReportRowMinusOne) {
    res::ListCtrl list;
    list.InsertColumn(0, QStringLiteral("ID"));
    list.InsertItem(0, QStringLiteral("A"));
    list.resize(300, 200);
    list.show();
    QSignalSpy clicks(&list, &res::ListCtrl::Clicked);
    QSignalSpy doubles(&list, &res::ListCtrl::DoubleClicked);
    const QRect cell = list.visualRect(list.model()->index(0, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(cell.center().x(), 150));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_GE(clicks.count(), 2);
    EXPECT_EQ(clicks[0][0].toInt(), 0);
    EXPECT_EQ(clicks[1][0].toInt(), -1);
    ASSERT_EQ(doubles.count(), 1);
    EXPECT_EQ(doubles[0][0].toInt(), 0);
    // Text cells outside the list are neither read nor written.
    EXPECT_FALSE(list.SetItemText(5, 0, QStringLiteral("x")));
    EXPECT_TRUE(list.GetItemText(5, 0).isEmpty());
}

TEST(ComboBox, SortedBoxInsertsInOrderAndKeepsNothingSelected) {
    res::ComboBox combo(true);
    combo.setEditable(true);
    for (const char* s : {"Repeater #3", "Repeater #1", "Repeater #2"}) combo.AddString(QString::fromLatin1(s));
    EXPECT_EQ(combo.itemText(0), QStringLiteral("Repeater #1"));
    EXPECT_EQ(combo.itemText(2), QStringLiteral("Repeater #3"));
    EXPECT_EQ(combo.GetCurSel(), -1);
    combo.SetCurSel(1);
    EXPECT_EQ(combo.AddString(QStringLiteral("Repeater #0")), 0);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Repeater #2"));
}

TEST(FieldsForm, AsksTheSiteInOneFormThatTakesOnlyAnswersAPlanCanKeep) {
    network::About about;
    about.site = "plant";
    std::vector<res::PromptField> fields = netview::AboutFields(about);
    bool asked = false;
    bool okWhileBad = true;
    QString problem;
    ASSERT_TRUE(WithModal([&] { asked = netview::AskAbout(nullptr, fields); },
                          [&](QWidget* form) {
                              const auto lines = form->findChildren<QLineEdit*>();
                              ASSERT_EQ(lines.size(), 2);
                              EXPECT_EQ(lines[0]->text(), QStringLiteral("plant"));
                              QPushButton* ok = form->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
                              lines[1]->setText(QStringLiteral("J.\tPark"));
                              okWhileBad = ok->isEnabled();
                              for (auto* label : form->findChildren<QLabel*>()) {
                                  if (label->text().contains(QStringLiteral("0x09"))) problem = label->text();
                              }
                              lines[1]->setText(QStringLiteral("J. Park"));
                              form->findChild<QPlainTextEdit*>()->setPlainText(QStringLiteral("mast 4\nnorth"));
                              QTest::mouseClick(ok, Qt::LeftButton);
                          }));
    EXPECT_TRUE(asked);
    EXPECT_FALSE(okWhileBad);
    EXPECT_EQ(problem,
              QStringLiteral("This cannot be kept in the plan: the technician holds the control character 0x09"));
    ASSERT_TRUE(netview::AboutFromFields(fields, &about).isEmpty());
    EXPECT_EQ(about.technician, "J. Park");
    EXPECT_EQ(about.notes, "mast 4\nnorth");

    // Cancel keeps what was there.
    ASSERT_TRUE(WithModal([&] { asked = netview::AskAbout(nullptr, fields); },
                          [](QWidget* form) {
                              form->findChild<QLineEdit*>()->setText(QStringLiteral("other"));
                              QTest::keyClick(form, Qt::Key_Escape);
                          }));
    EXPECT_FALSE(asked);
    EXPECT_EQ(fields[0].text, QStringLiteral("plant"));
}
