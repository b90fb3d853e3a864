// The template designer's program-wide objects and the host that creates, forwards to and
// releases the designer control.
#include <gtest/gtest.h>

#include <QWidget>

#include "shell/program_state.h"
#include "shell/report_designer_host.h"

namespace {

using namespace shell;

struct FakeDesigner : DesignerControl {
    QObject* report = nullptr;
    bool changed = false;
    int default_action = -1;
    int posts = 0;
    void set_report(QObject* r) override { report = r; }
    bool dirty() const override { return changed; }
    void set_default_action(bool value) override { default_action = value ? 1 : 0; }
    void post() override { ++posts; }
};

TEST(ReportDesignerHost, StartUpCreatesTheObjectsEmptyAndExitFreesThem) {
    init_program_variables();
    ASSERT_TRUE(designer_report && designer_host && designer_ocx);
    EXPECT_FALSE(designer_report->object);
    EXPECT_FALSE(designer_ocx->object);
    EXPECT_FALSE(designer_host->designer_get_object());
    free_program_variables();
    EXPECT_FALSE(designer_report || designer_host || designer_ocx);
}

TEST(ReportDesignerHost, WithoutParentOrControlCreationFailsAndForwardingDoesNothing) {
    ReportDesigner host;
    set_designer_factory({});
    EXPECT_FALSE(host.designer_create_window(nullptr, 0, 0, 100, 100));
    EXPECT_EQ(host.host_window(), nullptr);

    QWidget parent;
    EXPECT_FALSE(host.designer_create_window(&parent, 0, 0, 100, 100));
    EXPECT_EQ(host.designer_get_parent(), &parent);
    EXPECT_FALSE(host.designer_get_dirty());
    host.designer_post();  // nothing to forward to
    host.designer_default_action(false);
}

TEST(ReportDesignerHost, ForwardsToTheHostedControlUntilReleased) {
    auto fake = std::make_shared<FakeDesigner>();
    QWidget* made_in = nullptr;
    set_designer_factory([&](QWidget* window) {
        made_in = window;
        return fake;
    });
    QWidget parent;
    ReportDesigner host;
    ASSERT_TRUE(host.designer_create_window(&parent, 0, 0, 640, 480));
    EXPECT_EQ(made_in, host.host_window());
    EXPECT_EQ(host.host_window()->parentWidget(), &parent);
    EXPECT_EQ(host.host_window()->size(), QSize(640, 480));

    QObject report;
    host.designer_put_report(&report);
    fake->changed = true;
    EXPECT_TRUE(host.designer_get_dirty());
    host.designer_default_action(false);
    host.designer_post();
    EXPECT_EQ(fake->report, &report);
    EXPECT_EQ(fake->default_action, 0);
    EXPECT_EQ(fake->posts, 1);

    const auto copy = host.designer_clone();
    EXPECT_EQ(copy->designer_get_object(), host.designer_get_object());
    host.designer_release();
    EXPECT_FALSE(host.designer_get_object());
    EXPECT_FALSE(host.designer_get_dirty());
    EXPECT_NE(host.host_window(), nullptr);  // the host window stays
    set_designer_factory({});
}

}  // namespace
