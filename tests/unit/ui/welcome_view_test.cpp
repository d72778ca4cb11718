#include "ui/welcome_view.h"

#include <QLabel>
#include <QPushButton>

#include "ui/windows.h"
#include "ui_fixture.h"

using WelcomeViewTest = UiFixture;

// The steps follow the status while the window shows; Done stores that the user was welcomed
// and closes the window, also when the store is closed (nothing written then).
TEST_F(WelcomeViewTest, StepsFollowTheStatusWhileShownAndDoneClosesTheWindow) {
    trusted = false;
    configure([](DeploymentConfig& c) { c.webhookURL = " \t "; });
    status.refresh();
    Windows::shared().define(Windows::welcome, {"Welcome to Tarnwhistle", QSize(640, 700),
                                                [this] { return new WelcomeView(services); }});
    ASSERT_TRUE(Windows::shared().open(Windows::welcome));
    auto* view = static_cast<WelcomeView*>(Windows::shared().window(Windows::welcome));
    EXPECT_TRUE(view->refreshTimerActive());
    for (int step : {1, 2, 3}) EXPECT_FALSE(view->stepDone(step)) << step;
    EXPECT_TRUE(view->destinationButtons()->isVisibleTo(view));

    trusted = true;
    configure([](DeploymentConfig& c) { c.webhookURL = "https://hooks.example.org/in"; });
    insertSignals(1);
    status.refresh();
    for (int step : {1, 2, 3}) EXPECT_TRUE(view->stepDone(step)) << step;
    EXPECT_EQ(view->sendingTo()->text(), "Sending to hooks.example.org");
    EXPECT_FALSE(view->destinationButtons()->isVisibleTo(view));

    view->done();
    EXPECT_EQ(store.metaValue("welcomed"), "1");
    EXPECT_FALSE(Windows::shared().isVisible(Windows::welcome));
    EXPECT_FALSE(view->refreshTimerActive());
    ASSERT_TRUE(Windows::shared().open(Windows::welcome));
    store.close();
    view->done();
    EXPECT_FALSE(Windows::shared().isVisible(Windows::welcome));
}

TEST_F(WelcomeViewTest, OnGnomeTheFirstStepIsTheShellExtension) {
    bool answered = false;
    int switchedOn = 0;
    services.desktopHelperAnswered = [&] { return answered; };
    services.switchOnDesktopHelper = [&] { ++switchedOn; };
    WelcomeView view(services);
    view.show();
    EXPECT_FALSE(view.stepDone(1));  // the accessibility switch alone shows no window there
    QPushButton* button = nullptr;
    for (auto* b : view.findChildren<QPushButton*>())
        if (b->text() == QLatin1String("Switch on the extension")) button = b;
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(switchedOn, 1);
    answered = true;
    status.refresh();
    EXPECT_TRUE(view.stepDone(1));
}
