// Reduction settings and the reductions granted, through the core functions the reductions
// page and its windows call: the two lists, saving and deleting a setting, the household
// look-up, the details query and deleting an uncharged reduction record.
#include "charging/reduction_details.h"
#include "charging/reduction_settings.h"
#include "charging_fixture.h"
#include "platform/query.h"

namespace charging_test {
namespace {

using charging::ReductionField;
using charging::ReductionHouseholdLookup;
using charging::ReductionSettingForm;

QStringList texts(const platform::Messages& messages) {
    QStringList out;
    for (const platform::Message& m : messages) out << m.text;
    return out;
}

class Reductions : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "王五", "东区", "3号楼");
        household("0002", "赵六", "西区", "5号楼");
        exec(
            s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,性质) "
              "values ('0009','0','总表户','东区','9号楼',1)"));
    }

    void setting(const char* number, const char* mode, const char* period, double amount,
                 int quantity, int times, const char* type) {
        exec(s("insert into 减免设置 (户号,减免方式,减免期限,减免金额,减免用量,减免次数,减免类型) "
               "values (") +
             q(s(number)) + u',' + q(s(mode)) + u',' + q(s(period)) + u',' + n(amount) + u',' +
             QString::number(quantity) + u',' + QString::number(times) + u',' + q(s(type)) + u')');
    }
    void record(const char* number, double amount, int quantity, const char* readings,
                const char* date, qint64 bill, const char* type = "按金额") {
        exec(s("insert into 减免明细 (户号,减免金额,减免用量,抄表ID,减免日期,收据号,减免类型) "
               "values (") +
             q(s(number)) + u',' + n(amount) + u',' + QString::number(quantity) + u',' +
             q(s(readings)) + u',' + q(s(date)) + u',' + QString::number(bill) + u',' + q(s(type)) +
             u')');
    }
    // A billed reading of the household; returns its 编号.
    QString reading(const char* number) {
        exec(s("insert into 抄表总表 (户号,父号,用量,抄表日期,收费项目,是否收费,收据号) values (") +
             q(s(number)) + u',' + q(s(number)) + s(",10,'2024-3-1','水费',1,77)"));
        return value(s("select max(编号) from 抄表总表"));
    }
    // Any statement of `kind` ("update", "delete", "insert") on `table` that matches `when`
    // fails, as a full disk would.
    void fail(const char* kind, const char* table, const char* when) {
        const QByteArray sql = (s("create trigger 坏 before ") + s(kind) + s(" on ") + s(table) +
                                s(" when ") + s(when) + s(" begin select raise(abort,'boom'); end"))
                                   .toUtf8();
        ASSERT_EQ(
            sqlite3_exec(platform::db_handle(db()), sql.constData(), nullptr, nullptr, nullptr),
            SQLITE_OK);
    }

    static ReductionSettingForm amount_form(const char* number) {
        ReductionSettingForm form;
        form.household = s(number);
        return form;
    }
};

// ---- the settings list --------------------------------------------------------------------

TEST_F(Reductions, SettingsListShowsEachKnownHouseholdWithItsValuesAndTheTotals) {
    household("０００３", "全角", "东区", "7号楼");
    setting("0002", "部分减免", "次数", 12.5, 0, 3, "按金额");
    setting("0001", "全部减免", "永久", 8, 4, 0, "按用量");
    setting("０００３", "部分减免", "永久", 0, 6, 0, "按用量");
    setting("0404", "全部减免", "永久", 0, 0, 0, "按金额");  // no such household: not listed
    const charging::ReductionList list = charging::read_reduction_settings_list(db());
    ASSERT_TRUE(list.ok);
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[0], (QStringList{s("0002"), s("赵六"), s("西区"), s("5号楼"), s("部分减免"),
                                         s("次数"), s("12.50"), s("3"), s("0"), s("按金额")}));
    EXPECT_EQ(list.rows[1], (QStringList{s("0001"), s("王五"), s("东区"), s("3号楼"), s("全部减免"),
                                         s("永久"), s("--"), s("--"), s("4"), s("按用量")}));
    EXPECT_EQ(list.rows[2][0], s("0003"));
    EXPECT_EQ(list.rows[2][6], s("0.00"));
    EXPECT_EQ(list.totals, (QStringList{s("用户数"), s("3")}));
}

// ---- the household look-up ----------------------------------------------------------------

TEST_F(Reductions, HouseholdLookUp) {
    using R = ReductionHouseholdLookup::Result;
    struct Case {
        const char* text;
        const char* prefix;
        R result;
    } cases[] = {
        {"", "", R::Nothing},         {"00", "00", R::Nothing},  // only the prefix
        {"0404", "", R::Missing},     {"0'1", "", R::Missing},   // a quote is just a character
        {"0009", "", R::MasterMeter}, {"0002", "00", R::Found},
    };
    for (const Case& c : cases)
        EXPECT_EQ(charging::look_up_reduction_household(db(), s(c.text), s(c.prefix)).result,
                  c.result)
            << c.text;
    const ReductionHouseholdLookup found =
        charging::look_up_reduction_household(db(), s("0002"), QString());
    EXPECT_EQ(found.name, s("赵六"));
    EXPECT_EQ(found.street, s("西区"));
    EXPECT_EQ(found.address, s("5号楼"));
}

// ---- saving a setting ---------------------------------------------------------------------

TEST_F(Reductions, SaveRefusalsWriteNothing) {
    struct Case {
        const char* name;
        std::function<void(ReductionSettingForm&)> change;
        const char* message;
        ReductionField focus;
    } cases[] = {
        {"unknown household", [](ReductionSettingForm& f) { f.household = s("0404"); },
         "无此用户！", ReductionField::Household},
        {"quote in the household",
         [](ReductionSettingForm& f) { f.household = s("0001' or '1'='1"); }, "无此用户！",
         ReductionField::Household},
        {"master meter", [](ReductionSettingForm& f) { f.household = s("0009"); },
         "用户性质为总表无效!", ReductionField::Household},
        {"counted without a count",
         [](ReductionSettingForm& f) {
             f.amount_period = s("次数");
             f.amount_times = s("0");
         },
         "减免次数不能小于0！", ReductionField::AmountTimes},
        {"partial amount of 0",
         [](ReductionSettingForm& f) {
             f.amount_mode = s("部分减免");
             f.amount = s("0");
         },
         "减免金额不能小于0！", ReductionField::Amount},
        // The whole box, not the number it begins with.
        {"partial amount with a grouping comma",
         [](ReductionSettingForm& f) {
             f.amount_mode = s("部分减免");
             f.amount = s("1,000.50");
         },
         "减免金额不能小于0！", ReductionField::Amount},
        {"partial amount followed by text",
         [](ReductionSettingForm& f) {
             f.amount_mode = s("部分减免");
             f.amount = s("12abc");
         },
         "减免金额不能小于0！", ReductionField::Amount},
        {"partial amount beyond any bill",
         [](ReductionSettingForm& f) {
             f.amount_mode = s("部分减免");
             f.amount = s("1e308");
         },
         "减免金额不能小于0！", ReductionField::Amount},
        {"partial amount left as --",
         [](ReductionSettingForm& f) { f.amount_mode = s("部分减免"); }, "减免金额不能小于0！",
         ReductionField::Amount},
        {"partial quantity, empty",
         [](ReductionSettingForm& f) {
             f.by_quantity = true;
             f.quantity_mode = s("部分减免");
             f.quantity = QString();
         },
         "减免金额不能小于0！", ReductionField::Quantity},
        {"counted quantity, negative count",
         [](ReductionSettingForm& f) {
             f.by_quantity = true;
             f.quantity_period = s("次数");
             f.quantity_times = s("-2");
         },
         "减免次数不能小于0！", ReductionField::QuantityTimes},
    };
    for (const Case& c : cases) {
        ReductionSettingForm form = amount_form("0001");
        c.change(form);
        const charging::ReductionOutcome out = charging::save_reduction_setting(db(), form, {});
        EXPECT_FALSE(out.done) << c.name;
        EXPECT_EQ(texts(out.messages), QStringList{s(c.message)}) << c.name;
        EXPECT_EQ(out.focus, c.focus) << c.name;
    }
    EXPECT_EQ(count(s("select count(*) from 减免设置")), 0);
}

TEST_F(Reductions, AddWritesTheFormOnceAndRefusesASecondSetting) {
    ReductionSettingForm form = amount_form("0001");
    const charging::ReductionOutcome added = charging::save_reduction_setting(db(), form, {});
    EXPECT_TRUE(added.done);
    EXPECT_EQ(texts(added.messages), QStringList{s("添加成功！")});

    form.household = s("0002");
    form.by_quantity = true;
    form.quantity_mode = s("部分减免");
    form.quantity = s("5");
    form.quantity_period = s("次数");
    form.quantity_times = s("2");
    EXPECT_TRUE(charging::save_reduction_setting(db(), form, {}).done);
    EXPECT_EQ(
        rows(s("select 户号,减免方式,减免期限,减免金额,减免用量,减免次数,减免类型 from 减免设置 "
               "order by 编号")),
        (QList<QStringList>{
            {s("0001"), s("全部减免"), s("永久"), s("0"), s("0"), s("0"), s("按金额")},
            {s("0002"), s("部分减免"), s("次数"), s("0"), s("5"), s("2"), s("按用量")}}));

    const charging::ReductionOutcome again =
        charging::save_reduction_setting(db(), amount_form("0001"), {});
    EXPECT_FALSE(again.done);
    EXPECT_EQ(texts(again.messages), QStringList{charging::kSettingExists});
    EXPECT_EQ(count(s("select count(*) from 减免设置")), 2);
    // Settings leave no log row.
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

TEST_F(Reductions, EditRewritesTheEditedHouseholdAndKeepsTheOtherTypesValue) {
    setting("0001", "部分减免", "次数", 12.5, 0, 3, "按金额");
    const charging::LoadedReductionSetting loaded =
        charging::load_reduction_setting(db(), s("0001"));
    ASSERT_TRUE(loaded.found);
    EXPECT_FALSE(loaded.form.by_quantity);
    EXPECT_EQ(loaded.form.amount_mode, s("部分减免"));
    EXPECT_EQ(loaded.form.amount, s("12.50"));
    EXPECT_EQ(loaded.form.amount_period, s("次数"));
    EXPECT_EQ(loaded.form.amount_times, s("3"));

    ReductionSettingForm form = loaded.form;
    form.by_quantity = true;
    form.quantity_mode = s("部分减免");
    form.quantity = s("7");
    const charging::ReductionOutcome out = charging::save_reduction_setting(db(), form, s("0001"));
    EXPECT_TRUE(out.done);
    EXPECT_EQ(texts(out.messages), QStringList{s("修改成功！")});
    EXPECT_EQ(
        rows(s("select 减免方式,减免期限,减免金额,减免用量,减免次数,减免类型 from 减免设置")),
        (QList<QStringList>{{s("部分减免"), s("永久"), s("12.5"), s("7"), s("0"), s("按用量")}}));

    const charging::LoadedReductionSetting reloaded =
        charging::load_reduction_setting(db(), s("0001"));
    EXPECT_TRUE(reloaded.form.by_quantity);
    EXPECT_EQ(reloaded.form.quantity, s("7"));
    EXPECT_EQ(reloaded.form.quantity_times, s("--"));
    EXPECT_FALSE(charging::load_reduction_setting(db(), s("0002")).found);
}

TEST_F(Reductions, AFailedWriteIsReportedNotClaimedAsSaved) {
    fail("insert", "减免设置", "1");
    const charging::ReductionOutcome out =
        charging::save_reduction_setting(db(), amount_form("0001"), {});
    EXPECT_FALSE(out.done);
    ASSERT_EQ(out.messages.size(), 1);
    EXPECT_TRUE(out.messages[0].text.contains(s("boom")));
}

// ---- deleting a setting -------------------------------------------------------------------

TEST_F(Reductions, DeleteSettingRemovesItsRowAndLogsIt) {
    setting("0001", "全部减免", "永久", 0, 0, 0, "按金额");
    setting("0002", "全部减免", "永久", 0, 0, 0, "按金额");
    EXPECT_EQ(charging::reduction_setting_delete_question(s("0001")),
              s("确定要删除减免设置【0001】的记录吗？"));
    const charging::ReductionOutcome out =
        charging::delete_reduction_setting(db(), s("0001"), context());
    EXPECT_TRUE(out.done);
    EXPECT_EQ(texts(out.messages), QStringList{s("删除减免设置成功!")});
    EXPECT_EQ(rows(s("select 户号 from 减免设置")), (QList<QStringList>{{s("0002")}}));
    EXPECT_EQ(
        rows(s("select 上级项目,当前项目,备注 from 日志管理")),
        (QList<QStringList>{{s("减免管理"), s("减免删除"), s("删除户号：0001的减免设置。")}}));

    fail("delete", "减免设置", "1");
    const charging::ReductionOutcome failed =
        charging::delete_reduction_setting(db(), s("0002"), context());
    EXPECT_FALSE(failed.done);
    ASSERT_EQ(failed.messages.size(), 1);
    EXPECT_TRUE(failed.messages[0].text.startsWith(s("删除失败!\r\n")));
    EXPECT_TRUE(failed.messages[0].text.contains(s("boom")));
}

// ---- the details query --------------------------------------------------------------------

TEST_F(Reductions, DetailsQueriesByHouseholdStreetAndDate) {
    record("0001", 12.5, 0, "5|6|", "2024-3-1", 0);
    record("0002", 0, 4, "7|", "2024-3-10", 0, "按用量");
    record("0001", 3, 2, "8|", "2024-4-2", 0);
    using By = charging::ReductionQuery::By;
    const auto numbers = [&](charging::ReductionQuery query) {
        const charging::ReductionQueryStatement st = charging::reduction_details_statement(query);
        QStringList out;
        for (const QStringList& row : charging::read_reduction_details_list(db(), st.sql).rows)
            out << row[0];
        return out.join(u',');
    };
    EXPECT_EQ(numbers({By::Household, s("0001"), {}, {}}), s("1,3"));
    EXPECT_EQ(numbers({By::Household, s("0001' or ''='"), {}, {}}), s(""));
    EXPECT_EQ(numbers({By::Street, s("西区"), {}, {}}), s("2"));
    // Both bounds count.
    EXPECT_EQ(numbers({By::Date, {}, QDate(2024, 3, 1), QDate(2024, 3, 10)}), s("1,2"));
    EXPECT_EQ(numbers({By::Date, {}, QDate(2024, 3, 2), QDate(2024, 4, 30)}), s("2,3"));

    const charging::ReductionQueryStatement empty =
        charging::reduction_details_statement({By::Household, QString(), {}, {}});
    EXPECT_EQ(empty.refusal, s("户号不能为空！"));
    EXPECT_TRUE(empty.sql.isEmpty());
}

TEST_F(Reductions, DetailsListCellsAndTotals) {
    household("０００３", "全角", "东区", "7号楼");
    record("0001", 12.5, 0, "5|6|", "2024-3-1", 0);
    record("０００３", 0.25, 4, "7|", "2024-3-10", 0, "按用量");
    const charging::ReductionList list = charging::read_reduction_details_list(
        db(), charging::reduction_details_statement(
                  {charging::ReductionQuery::By::Street, s("东区"), {}, {}})
                  .sql);
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0],
              (QStringList{s("1"), s("0001"), s("王五"), s("东区"), s("3号楼"), s("12.50"), s("0"),
                           s("5|6"), s("2024年3月1日"), s("按金额")}));
    EXPECT_EQ(list.rows[1][1], s("0003"));
    EXPECT_EQ(list.rows[1][7], s("7"));
    EXPECT_EQ(list.totals,
              (QStringList{s("合计:"), s("2"), s(""), s(""), s(""), s("12.75"), s("4")}));
}

// ---- deleting a reduction record ----------------------------------------------------------

TEST_F(Reductions, DeletingAnUnchargedRecordReturnsItsReadingsToUnbilled) {
    const QString first = reading("0001");
    const QString second = reading("0001");
    const QString other = reading("0001");
    record("0001", 12.5, 0, (first + u'|' + second + u'|').toUtf8().constData(), "2024-3-1", 0);
    EXPECT_TRUE(charging::check_reduction_record_delete(db(), 1).done);
    EXPECT_EQ(charging::reduction_record_delete_question(1),
              s("确定要删除减免明细编号【1】的记录吗？"));

    const charging::ReductionOutcome out = charging::delete_reduction_record(db(), 1, context());
    EXPECT_TRUE(out.done);
    EXPECT_EQ(texts(out.messages), QStringList{s("删除减免明细成功!")});
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 0);
    EXPECT_EQ(rows(s("select 编号,是否收费 from 抄表总表 order by 编号")),
              (QList<QStringList>{{first, s("0")}, {second, s("0")}, {other, s("1")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='减免删除'")),
              s("删除减免编号【1】对应的抄表记录，重新改为未收费状态。"));
}

TEST_F(Reductions, RecordsCarriedByABillOrGoneAreRefused) {
    record("0001", 12.5, 0, "5|", "2024-3-1", 1000021);
    for (const qint64 number : {qint64(1), qint64(2)}) {
        const char* expected = number == 1 ? "该明细记录在收费管理中有收费记录,请在收费查询中删除!"
                                           : "该减免明细记录已不存在！";
        EXPECT_EQ(texts(charging::check_reduction_record_delete(db(), number).messages),
                  QStringList{s(expected)});
        const charging::ReductionOutcome out =
            charging::delete_reduction_record(db(), number, context());
        EXPECT_FALSE(out.done);
        EXPECT_EQ(texts(out.messages), QStringList{s(expected)});
    }
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 1);
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

TEST_F(Reductions, AFailingReadingUpdateKeepsTheRecordAndEveryReadingAsTheyWere) {
    const QString first = reading("0001");
    const QString second = reading("0001");
    record("0001", 12.5, 0, (first + u'|' + second + u'|').toUtf8().constData(), "2024-3-1", 0);
    fail("update", "抄表总表", ("old.编号=" + second).toUtf8().constData());
    const charging::ReductionOutcome out = charging::delete_reduction_record(db(), 1, context());
    EXPECT_FALSE(out.done);
    ASSERT_EQ(out.messages.size(), 1);
    EXPECT_TRUE(out.messages[0].text.startsWith(s("修改对应的抄表收费性质出错!\r\n")));
    EXPECT_TRUE(out.messages[0].text.contains(s("boom")));
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 1);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=1")), 2);
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

TEST_F(Reductions, ARecordNamingSomethingOtherThanReadingsIsNotDeleted) {
    const QString first = reading("0001");
    record("0001", 1, 0, (first + s("|1 or 1=1|")).toUtf8().constData(), "2024-3-1", 0);
    const charging::ReductionOutcome out = charging::delete_reduction_record(db(), 1, context());
    EXPECT_FALSE(out.done);
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 1);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=1")), 1);
}

}  // namespace
}  // namespace charging_test
