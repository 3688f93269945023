#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <set>

#include "res/DialogTemplate.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "res/TemplateBuilder.h"

namespace {

const int kAllTemplates[] = {res::kTemplateAbout, res::kTemplateMain, res::kTemplateIdSetting, res::kTemplateTcpIpConn,
                             res::kTemplateRfConfig};

}  // namespace

TEST(Templates, ControlIdsAreUniqueWithinEachTemplate) {
    for (int id : kAllTemplates) {
        std::set<int> seen;
        for (const auto& c : res::Template(id).controls) {
            if (c.id == res::kNoId) continue;
            EXPECT_TRUE(seen.insert(c.id).second) << "template " << id << " repeats control " << c.id;
        }
    }
    EXPECT_THROW(res::Template(999), std::out_of_range);
}

TEST(Templates, RfPageHoldsEveryControlOfItsLayout) {
    const auto& t = res::Template(res::kTemplateRfConfig);
    EXPECT_EQ(t.w, 1041);
    EXPECT_EQ(t.h, 460);
    const std::set<int> expected{1003, 1007, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018,
                                 1019, 1020, 1022, 1023, 1024, 1028, 1029, 1031, 1034, 1035,
                                 1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043, 1045};
    std::set<int> ids;
    int groups = 0;
    int statics = 0;
    for (const auto& c : t.controls) {
        if (c.id != res::kNoId) ids.insert(c.id);
        groups += c.kind == res::ControlKind::GroupBox;
        statics += c.kind == res::ControlKind::Static;
    }
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(groups, 7);   // Gateway, Node, Repeater, 기기 연결, Node Attribute, File, System
    EXPECT_EQ(statics, 3);  // IP address, Port, Repeater 설정
    EXPECT_STREQ(res::FindControlTemplate(t, 1034)->text, "GET NETKEY ");
}

TEST(Templates, BuilderPlacesEachControlAtItsConvertedRectangleAndFindsItById) {
    for (int templateId : {res::kTemplateRfConfig, res::kTemplateTcpIpConn, res::kTemplateIdSetting}) {
        const auto& t = res::Template(templateId);
        QWidget dialog;
        const res::DialogBaseUnits base = res::BuildDialog(t, &dialog);
        for (const auto& c : t.controls) {
            if (c.id == res::kNoId) continue;
            QWidget* w = res::FindControl(&dialog, c.id);
            ASSERT_NE(w, nullptr) << "control " << c.id;
            const QRect expected = res::DialogToPixels(QRect(c.x, c.y, c.w, c.h), base);
            EXPECT_EQ(w->pos(), expected.topLeft()) << "control " << c.id;
            EXPECT_EQ(w->width(), expected.width()) << "control " << c.id;
            if (c.kind != res::ControlKind::ComboBox) {
                EXPECT_EQ(w->height(), expected.height()) << c.id;
            }
        }
        EXPECT_EQ(res::FindControl(&dialog, 4242), nullptr);
    }
}

TEST(Templates, BuilderMakesTheKindOfWidgetEachControlNeeds) {
    QWidget page;
    res::BuildDialog(res::Template(res::kTemplateRfConfig), &page);
    EXPECT_NE(res::Control<res::ListCtrl>(&page, 1016), nullptr);
    EXPECT_NE(res::Control<res::IpAddressCtrl>(&page, 1003), nullptr);
    EXPECT_NE(res::Control<QComboBox>(&page, 1018), nullptr);
    EXPECT_NE(res::Control<QPlainTextEdit>(&page, 1028), nullptr);
    EXPECT_NE(res::Control<QLineEdit>(&page, 1038), nullptr);
    EXPECT_EQ(res::Control<QPushButton>(&page, 1022)->text(), QStringLiteral("Connect"));
    EXPECT_EQ(res::Control<QPushButton>(&page, 1029)->text(), QStringLiteral("ID 불러오기"));
    EXPECT_EQ(res::Control<QPushButton>(&page, 1043)->text(), QStringLiteral("서비스 중지"));

    QStringList titles;
    for (auto* group : page.findChildren<QGroupBox*>()) titles << group->title();
    EXPECT_TRUE(titles.contains(QStringLiteral("기기 연결")));
    QStringList labels;
    for (auto* label : page.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Repeater 설정")));

    // The port field takes digits only.
    auto* port = res::Control<QLineEdit>(&page, 1020);
    QString text = QStringLiteral("55a5");
    int pos = 0;
    EXPECT_EQ(port->validator()->validate(text, pos), QValidator::Invalid);
    text = QStringLiteral("5555");
    EXPECT_EQ(port->validator()->validate(text, pos), QValidator::Acceptable);
}
