// The meter form's look-up by card number: an empty card box names no household, so leaving it
// (by Tab from the household number, or by clicking in and out) keeps the household typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>

#include "household_fixture.h"
#include "households/meter_info_window.h"
#include "households/meter_list_page.h"

namespace {

using namespace households_test;
using households::MeterInfoWindow;

class MeterCardLookupTest : public HouseholdTest {
protected:
    void SetUp() override {
        HouseholdTest::SetUp();
        // Two households without a card, the first of them not the one to be typed, and one
        // with a card.
        insert_household(s("0002"), s("李先到"), s("2024-3-5"), s(",磁卡号码,详细地址"),
                         s(",'','一号楼'"));
        insert_household(s("0005"), s("王后来"), s("2024-3-5"), s(",磁卡号码,详细地址"),
                         s(",'','五号楼'"));
        insert_household(s("0007"), s("赵有卡"), s("2024-3-5"), s(",磁卡号码,详细地址"),
                         s(",'C0007','七号楼'"));
    }

    // Opens the form as F6 does and lets `work` drive it.
    void with_form(const std::function<void(MeterInfoWindow*)>& work) {
        bool opened = false;
        ui.on_modal(s("households::MeterInfoWindow"), [&](QDialog* w) {
            opened = true;
            work(static_cast<MeterInfoWindow*>(w));
            return int(QDialog::Rejected);
        });
        households::MeterListPage page;
        page.open_meter_page();
        page.on_main_meter_add_click();
        EXPECT_TRUE(opened);
    }

    static QStringList shown(MeterInfoWindow* w) {
        return {edit(w, "编辑框_户号")->text(), edit(w, "编辑框_户名")->text(),
                edit(w, "编辑框_磁卡号码")->text(), edit(w, "编辑框_详细地址")->text()};
    }
};

TEST_F(MeterCardLookupTest, TabFromTheHouseholdNumberKeepsTheHouseholdTyped) {
    with_form([&](MeterInfoWindow* w) {
        w->show();
        QApplication::setActiveWindow(w);
        QLineEdit* number = edit(w, "编辑框_户号");
        number->setFocus();
        number->setText(s("0005"));
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(number, &tab);
        EXPECT_EQ(shown(w), (QStringList{s("0005"), s("王后来"), s(""), s("五号楼")}));
        EXPECT_EQ(QApplication::focusWidget(), combo(w, "组合框_收费项目"));

        // Clicking into the empty card box and out again changes nothing either.
        edit(w, "编辑框_磁卡号码")->setFocus();
        combo(w, "组合框_收费项目")->setFocus();
        EXPECT_EQ(shown(w), (QStringList{s("0005"), s("王后来"), s(""), s("五号楼")}));
    });
}

TEST_F(MeterCardLookupTest, LeavingTheCardBoxLooksUpOnlyACardNumber) {
    struct Case {
        const char* card;
        QStringList shown;  // 户号, 户名, 磁卡号码, 详细地址 afterwards
    };
    const Case cases[] = {
        {"", {s("0005"), s("王后来"), s(""), s("五号楼")}},
        {"   ", {s("0005"), s("王后来"), s("   "), s("五号楼")}},
        {"C9999", {s("0005"), s("王后来"), s("C9999"), s("五号楼")}},
        {" C0007 ", {s("0007"), s("赵有卡"), s("C0007"), s("七号楼")}},
    };
    for (const Case& c : cases) {
        with_form([&](MeterInfoWindow* w) {
            edit(w, "编辑框_户号")->setText(s("0005"));
            w->on_meter_household_number_lost_focus();
            edit(w, "编辑框_磁卡号码")->setText(s(c.card));
            w->on_meter_card_number_lost_focus();
            EXPECT_EQ(shown(w), c.shown) << c.card;
        });
    }
}

}  // namespace
