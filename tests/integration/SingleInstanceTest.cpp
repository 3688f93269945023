#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QUuid>

#include "app/SingleInstance.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "support/PromptRecorder.h"

namespace {

// A name of the test's own, never the user's running window's.
QString TestName() { return QStringLiteral("veskora-test-") + QUuid::createUuid().toString(QUuid::Id128); }

}  // namespace

TEST(SingleInstance, ALaterStartFindsTheFirstAndAsksItToTheFront) {
    const QString name = TestName();
    app::InstanceGuard first(name);
    EXPECT_FALSE(first.OtherIsRunning());
    ASSERT_TRUE(first.Listen());
    QSignalSpy front(&first, &app::InstanceGuard::FrontRequested);

    const app::InstanceGuard later(name);
    EXPECT_TRUE(later.OtherIsRunning());
    EXPECT_EQ(front.count(), 0);  // being found is not being asked
    ASSERT_TRUE(later.AskOtherToFront());
    EXPECT_TRUE(front.wait(3000));
    EXPECT_EQ(front.count(), 1);

    EXPECT_FALSE(app::InstanceGuard(TestName()).AskOtherToFront());
}

TEST(SingleInstance, TheFirstWindowComesBackFromMinimizedWhenAsked) {
    CVeskoraRFConfigurationDlg main;
    main.Create();
    ASSERT_TRUE(main.isMinimized());
    main.BringToFront();
    EXPECT_FALSE(main.isMinimized());
    EXPECT_TRUE(main.isVisible());
}

TEST(SingleInstance, ASecondStartSaysSoAndWarnsBeforeOpeningAnother) {
    PromptRecorder prompts;
    prompts.answer = res::kIdYes;
    EXPECT_EQ(app::AskAboutSecondStart(), app::SecondStart::BringFirstToFront);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].prompt.buttons, res::PromptButtons::YesNoCancel);
    EXPECT_TRUE(prompts.shown[0].prompt.text.contains(QStringLiteral("ids.xml")));

    prompts.answer = res::kIdNo;
    EXPECT_EQ(app::AskAboutSecondStart(), app::SecondStart::StartAnyway);
    prompts.answer = res::kIdCancel;
    EXPECT_EQ(app::AskAboutSecondStart(), app::SecondStart::Quit);
}
