#include "ui/welcome_view.h"

#include <QLabel>

#include "app/app_status.h"
#include "ui/windows.h"
#include "ui_fixture.h"

class WelcomeViewTest : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        services.configStore = &configStore;
        services.store = &store;
        services.outbox = &outbox;
        services.status = &status;
    }
    bool trusted = false;
    AppStatus status{configStore, store, outbox, [this] { return trusted; }};
    UiServices services;
};

TEST(WelcomeSteps, DoneRules) {
    EXPECT_FALSE(WelcomeView::accessibilityDone(false));
    EXPECT_TRUE(WelcomeView::accessibilityDone(true));
    EXPECT_FALSE(WelcomeView::destinationDone(" \t "));
    EXPECT_TRUE(WelcomeView::destinationDone(" https://hooks.example.org "));
    EXPECT_FALSE(WelcomeView::usageDone(0));
    EXPECT_TRUE(WelcomeView::usageDone(1));
}

TEST_F(WelcomeViewTest, StepsFollowTheStatusWhileShown) {
    WelcomeView view(services);
    view.show();
    EXPECT_TRUE(view.refreshTimerActive());
    EXPECT_FALSE(view.stepDone(1));
    EXPECT_FALSE(view.stepDone(2));
    EXPECT_FALSE(view.stepDone(3));
    EXPECT_TRUE(view.destinationButtons()->isVisibleTo(&view));

    trusted = true;
    configure([](DeploymentConfig& c) { c.webhookURL = "https://hooks.example.org/in"; });
    clock = Time::now();
    insertSignals(1);
    status.refresh();
    EXPECT_TRUE(view.stepDone(1));
    EXPECT_TRUE(view.stepDone(2));
    EXPECT_TRUE(view.stepDone(3));
    EXPECT_EQ(view.sendingTo()->text(), "Sending to hooks.example.org");
    EXPECT_FALSE(view.destinationButtons()->isVisibleTo(&view));

    view.hide();
    EXPECT_FALSE(view.refreshTimerActive());
}

TEST_F(WelcomeViewTest, DoneStoresWelcomedAndClosesTheWindow) {
    Windows::shared().define(Windows::welcome,
                             {"Welcome to Tarnwhistle", QSize(640, 700),
                              [this] { return new WelcomeView(services); }});
    ASSERT_TRUE(Windows::shared().open(Windows::welcome));
    auto* view = static_cast<WelcomeView*>(Windows::shared().window(Windows::welcome));
    view->done();
    EXPECT_EQ(store.metaValue("welcomed"), "1");
    EXPECT_FALSE(Windows::shared().isVisible(Windows::welcome));
    // A closed store: nothing written, the window closes all the same.
    ASSERT_TRUE(Windows::shared().open(Windows::welcome));
    store.close();
    view->done();
    EXPECT_FALSE(Windows::shared().isVisible(Windows::welcome));
}
