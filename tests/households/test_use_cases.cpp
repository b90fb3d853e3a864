// The rules of the household and meter forms and of the meter page, called without a window:
// what is written, what is refused, and the messages handed back, including failures in the
// middle of a two-table write (a trigger refuses one of its statements).
#include <gtest/gtest.h>

#include "harness/household_seed.h"
#include "households/household_entry.h"
#include "households/meter_entry.h"
#include "households/reading_order.h"
#include "store/main_database.h"

namespace {

using households::HouseholdEntry;
using households::HouseholdField;
using households::MeterEntry;
using households::MeterField;
using platform::Message;
using platform::MsgIcon;

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

QStringList texts(const platform::Messages& messages) {
    QStringList out;
    for (const Message& m : messages) out << m.text;
    return out;
}

class UseCaseTest : public harness::HouseholdSeedTest {
protected:
    platform::Connection& db() { return store::main_connection(); }

    // Refuses every change of `table` matching `when` with the text "refused".
    void refuse(const char* event, const char* table, const char* when = "1") {
        exec(s("CREATE TRIGGER 拒绝_%1 BEFORE %1 ON %2 WHEN %3 BEGIN SELECT RAISE(ABORT,'refused'); END")
                 .arg(s(event), s(table), s(when)));
    }

    static HouseholdEntry entry(const char* number, const char* name) {
        HouseholdEntry e;
        e.number = s(number);
        e.name = s(name);
        e.street = s("东区");
        e.category = s("住宅");
        e.persons = s("3");
        e.area = s("88.5");
        e.parking_fee = s("0");
        e.registered = QDate(2024, 3, 5);
        return e;
    }
};

TEST_F(UseCaseTest, AddingAHouseholdRefusesMissingValuesAndTakenNumbers) {
    insert_household(s("0001"), s("王小明"));
    insert_meter_account(s("000701"), s("0007"), s("物业"), s("住宅"), s("系统"), 1);
    struct Case {
        const char* what;
        HouseholdEntry entry;
        QString message;
        QString caption;
        HouseholdField focus;
    } cases[] = {
        {"blank number", entry("  ", "李四"), s("户号、用户姓名、居住街道、物业类别不能为空！"),
         s("信息："), HouseholdField::Name},
        {"no name", entry("0002", ""), s("户号、用户姓名、居住街道、物业类别不能为空！"), s("信息："),
         HouseholdField::Name},
        {"number in use (blanks around it)", entry(" 0001 ", "李四"),
         s("户号【0001】已经存在，请重新输入。"), s("输入提示"), HouseholdField::Number},
        {"number carried by a deleted household's account", entry("0007", "李四"),
         s("户号【0007】已被删除用户的计量、收费或预存记录占用，请重新输入。"), s("输入提示"),
         HouseholdField::Number},
    };
    cases[1].entry.street = s("东区");
    for (const Case& c : cases) {
        const auto outcome = households::add_household(db(), c.entry);
        EXPECT_TRUE(outcome.refused) << c.what;
        EXPECT_FALSE(outcome.saved) << c.what;
        EXPECT_EQ(outcome.focus, c.focus) << c.what;
        EXPECT_EQ(outcome.messages, (platform::Messages{{c.message, c.caption, MsgIcon::Information}}))
            << c.what;
    }
    EXPECT_EQ(count(s("select count(*) from 用户信息表")), 1);
}

TEST_F(UseCaseTest, AddingAHouseholdWritesItsPropertyFeeAccountAndTheLog) {
    insert_meter_account(s("000901"), s("0009"), s("物业"), s("住宅"), s("系统"), 4);
    HouseholdEntry e = entry(" 0002 ", "李 四");
    e.address = s("  1栋 ");
    const auto outcome = households::add_household(db(), e);
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(texts(outcome.messages), (QStringList{s("添加用户【李 四】成功！")}));
    EXPECT_EQ(outcome.messages.first().caption, s("添加成功"));
    EXPECT_EQ(rows(s("select 户号,用户名,详细地址,家庭人口,物业面积,助记词,父号 from 用户信息表")),
              (QList<QStringList>{{s("0002"), s("李 四"), s("1栋"), s("3"), s("88.5"), s("l s"), s("0")}}));
    // Reader 系统's walk ends at 4 already: the new account goes behind it.
    EXPECT_EQ(rows(s("select 户号,收费项目,价格类别,抄表人员,抄表序号 from 用户表管理 where 父号='0002'")),
              (QList<QStringList>{{s("000201"), s("物业"), s("住宅"), s("系统"), s("5")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 order by ID desc")), s("单户户号： 0002 用户名：李 四"));
}

TEST_F(UseCaseTest, AHouseholdWhoseAccountCannotBeWrittenIsNotWrittenEither) {
    refuse("INSERT", "用户表管理");
    const auto outcome = households::add_household(db(), entry("0002", "李四"));
    EXPECT_FALSE(outcome.refused);
    EXPECT_FALSE(outcome.saved);
    ASSERT_EQ(outcome.messages.size(), 2);
    EXPECT_TRUE(outcome.messages[0].text.contains(s("refused")));
    EXPECT_EQ(outcome.messages[0].icon, MsgIcon::None);
    EXPECT_TRUE(outcome.messages[1].text.startsWith(s("insert into 用户表管理")));
    EXPECT_EQ(count(s("select count(*) from 用户信息表")), 0);
}

TEST_F(UseCaseTest, ModifyingAHouseholdMirrorsItsCategoryOrChangesNothing) {
    insert_household(s("0001"), s("王小明"));
    insert_meter_account(s("000101"), s("0001"), s("物业"), s("住宅"), s("系统"), 1);
    HouseholdEntry e = entry("0001", "王大明");
    e.category = s("商铺");

    refuse("UPDATE", "用户表管理");
    auto outcome = households::modify_household(db(), e);
    EXPECT_FALSE(outcome.saved);
    ASSERT_EQ(outcome.messages.size(), 1);
    EXPECT_TRUE(outcome.messages[0].text.contains(s("refused")));
    EXPECT_EQ(value(s("select 用户名||物业类别 from 用户信息表")), s("王小明住宅"));

    exec(s("DROP TRIGGER 拒绝_UPDATE"));
    outcome = households::modify_household(db(), e);
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(
        outcome.messages,
        (platform::Messages{{s("修改用户【王大明】成功！"), s("提示"), MsgIcon::Information}}));
    EXPECT_EQ(value(s("select 用户名||物业类别 from 用户信息表")), s("王大明商铺"));
    EXPECT_EQ(value(s("select 价格类别 from 用户表管理 where 户号='000101'")), s("商铺"));
}

TEST_F(UseCaseTest, ACardNumberBelongsToOneHousehold) {
    insert_household(s("0001"), s("王小明"), s("2024-3-5"), s(",磁卡号码"), s(",'00012345'"));
    insert_household(s("0002"), s("李四"), s("2024-3-5"), s(",磁卡号码"), s(",'AB12'"));
    insert_household(s("0003"), s("赵六"), s("2024-3-5"), s(",磁卡号码"), s(",''"));
    // Two households sharing a card from before cards were checked.
    insert_household(s("0008"), s("钱八"), s("2024-3-5"), s(",磁卡号码"), s(",'DUP9'"));
    insert_household(s("0009"), s("周九"), s("2024-3-5"), s(",磁卡号码"), s(",'DUP9'"));
    struct Case {
        const char* what;
        bool modify;
        const char* number;
        const char* card;
        const char* refusal;  // nullptr: saved
    } cases[] = {
        {"another's card", false, "0005", "00012345",
         "磁卡号码【00012345】已被用户【0001 王小明】使用，请重新输入。"},
        {"blanks around it", false, "0005", " 00012345 ",
         "磁卡号码【00012345】已被用户【0001 王小明】使用，请重新输入。"},
        {"letters of another case, as the card look-up finds them", false, "0005", "ab12",
         "磁卡号码【ab12】已被用户【0002 李四】使用，请重新输入。"},
        {"changed onto another's card", true, "0003", "00012345",
         "磁卡号码【00012345】已被用户【0001 王小明】使用，请重新输入。"},
        {"blank, though others have none", false, "0005", "", nullptr},
        {"blanks only", false, "0006", "  ", nullptr},
        {"a new card", false, "0007", "00012346", nullptr},
        {"its own card kept", true, "0001", "00012345", nullptr},
        {"its own card in another case", true, "0002", "ab12", nullptr},
        {"a shared card kept", true, "0008", "DUP9", nullptr},
        {"the other sharer keeps it too", true, "0009", " dup9 ", nullptr},
        {"a sharer changed onto another's card", true, "0009", "AB12",
         "磁卡号码【AB12】已被用户【0002 孙七】使用，请重新输入。"},  // renamed above
        {"changed onto the shared card", true, "0003", "DUP9",
         "磁卡号码【DUP9】已被用户【0008 孙七】使用，请重新输入。"},
        {"added with the shared card", false, "0010", "DUP9",
         "磁卡号码【DUP9】已被用户【0008 孙七】使用，请重新输入。"},
    };
    for (const Case& c : cases) {
        HouseholdEntry e = entry(c.number, "孙七");
        e.card = s(c.card);
        const qint64 before = count(s("select count(*) from 用户信息表"));
        const auto outcome =
            c.modify ? households::modify_household(db(), e) : households::add_household(db(), e);
        if (!c.refusal) {
            EXPECT_TRUE(outcome.saved)
                << c.what << texts(outcome.messages).join(u'|').toStdString();
            continue;
        }
        EXPECT_TRUE(outcome.refused) << c.what;
        EXPECT_EQ(outcome.focus, HouseholdField::Card) << c.what;
        EXPECT_EQ(outcome.messages,
                  (platform::Messages{{s(c.refusal), s("输入提示"), MsgIcon::Information}}))
            << c.what << texts(outcome.messages).join(u'|').toStdString();
        EXPECT_EQ(count(s("select count(*) from 用户信息表")), before) << c.what;
    }
    // Nothing refused was written: each card is held once, and 0003 still has none; the
    // shared card stays as it was.
    EXPECT_EQ(count(s("select count(*) from 用户信息表 where 磁卡号码='00012345'")), 1);
    EXPECT_EQ(value(s("select 磁卡号码 from 用户信息表 where 户号='0003'")), s(""));
    EXPECT_EQ(rows(s("select 户号,用户名 from 用户信息表 where 磁卡号码 like 'dup9' "
                     "order by 户号")),
              (QList<QStringList>{{s("0008"), s("孙七")}, {s("0009"), s("孙七")}}));
}

class MeterUseCaseTest : public UseCaseTest {
protected:
    void SetUp() override {
        UseCaseTest::SetUp();
        insert_household(s("0001"), s("王小明"));
        exec(s("insert into 抄表员 (抄表员) values ('张师傅')"));
    }
    static MeterEntry meter(const char* item, const char* category, const char* multiplier = "1") {
        MeterEntry m;
        m.household = s(" 0001 ");
        m.fee_item = s(item);
        m.price_category = s(category);
        m.reader = s("张师傅");
        m.start_reading = s("12.5");
        m.multiplier = s(multiplier);
        m.meter_number = s(" M1 ");
        m.set_up = QDate(2024, 3, 5);
        m.state = s("正常");
        return m;
    }
};

TEST_F(MeterUseCaseTest, RefusalsWriteNothing) {
    insert_meter_account(s("000101"), s("0001"), s("水费"), s("民用水"), s("张师傅"), 1);
    MeterEntry unknown = meter("水费", "民用水");
    unknown.household = s("0009");
    MeterEntry no_reader = meter("电费", "民用电");
    no_reader.reader.clear();
    struct Case {
        const char* what;
        MeterEntry entry;
        QString message;
        MeterField focus;
    } cases[] = {
        {"unknown household", unknown, s("没此用户，请在用户管理中添加用户信息!"), MeterField::Household},
        {"no reader", no_reader, s("收费项目、价格类别、抄表人员不能为空！"), MeterField::None},
        {"multiplier at the tolerance", meter("电费", "民用电", "0.0000001"), s("倍率不能小于等于0！"),
         MeterField::Multiplier},
        {"second account of one item", meter("水费", "民用水"), s("该用户的收费项目已经添加!"),
         MeterField::None},
    };
    for (const Case& c : cases) {
        const auto outcome = households::save_meter_account(db(), c.entry);
        EXPECT_FALSE(outcome.saved) << c.what;
        EXPECT_EQ(outcome.focus, c.focus) << c.what;
        EXPECT_EQ(texts(outcome.messages), QStringList{c.message}) << c.what;
    }
    // A multiplier that is no plain number saves nothing and says nothing.
    const auto quiet = households::save_meter_account(db(), meter("电费", "民用电", "2,状态='拆表'"));
    EXPECT_FALSE(quiet.saved);
    EXPECT_TRUE(quiet.messages.isEmpty());
    EXPECT_EQ(count(s("select count(*) from 用户表管理")), 1);
}

TEST_F(MeterUseCaseTest, APropertyFeeAccountAndItsHouseholdsCategoryCommitTogether) {
    // The mirror onto the household fails: the account is not written either, and it is said.
    refuse("UPDATE", "用户信息表");
    auto outcome = households::save_meter_account(db(), meter("物业", "商铺"));
    EXPECT_FALSE(outcome.saved);
    ASSERT_EQ(outcome.messages.size(), 1);
    EXPECT_TRUE(outcome.messages[0].text.contains(s("refused")));
    EXPECT_EQ(outcome.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(count(s("select count(*) from 用户表管理")), 0);

    exec(s("DROP TRIGGER 拒绝_UPDATE"));
    outcome = households::save_meter_account(db(), meter("物业", "商铺"));
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(texts(outcome.messages), QStringList{s("执行成功!")});
    // Read by 系统 whatever reader was chosen; the household's category follows.
    EXPECT_EQ(rows(s("select 户号,抄表人员,价格类别,开始起数,计量编号,抄表序号 from 用户表管理")),
              (QList<QStringList>{{s("000101"), s("系统"), s("商铺"), s("12.5"), s("M1"), s("1")}}));
    EXPECT_EQ(value(s("select 物业类别 from 用户信息表")), s("商铺"));
}

TEST_F(MeterUseCaseTest, AFailedDeleteIsShown) {
    insert_meter_account(s("000101"), s("0001"), s("水费"), s("民用水"), s("张师傅"), 1);
    const qint64 id = count(s("select 编号 from 用户表管理"));
    refuse("DELETE", "用户表管理");
    platform::Messages messages = households::delete_meter_account(db(), id);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains(s("refused")));
    EXPECT_EQ(count(s("select count(*) from 用户表管理")), 1);

    exec(s("DROP TRIGGER 拒绝_DELETE"));
    EXPECT_EQ(texts(households::delete_meter_account(db(), id)), QStringList{s("删除成功，请刷新显示！")});
    EXPECT_EQ(count(s("select count(*) from 用户表管理")), 0);
}

class ReadingOrderTest : public UseCaseTest {
protected:
    // Accounts 000101.. of reader 张师傅 at the given places, one per place given.
    void walk(const QList<int>& places) {
        int n = 1;
        for (int place : places)
            insert_meter_account(s("0001%1").arg(n++, 2, 10, QLatin1Char('0')), s("0001"), s("水费"),
                                 s("民用水"), s("张师傅"), place);
    }
    qint64 id_of(const QString& number) {
        return count(s("select 编号 from 用户表管理 where 户号='") + number + u'\'');
    }
    QList<int> places() {
        QList<int> out;
        for (const QStringList& row : rows(s("select 抄表序号 from 用户表管理 order by 编号")))
            out << row.first().toInt();
        return out;
    }
};

TEST_F(ReadingOrderTest, MovingToAPlaceRenumbersTheRestConsecutivelyInTheirOrder) {
    struct Case {
        const char* what;
        QList<int> before;
        const char* moved;
        const char* typed;
        QList<int> after;
        const char* before_move = nullptr;  // a statement that spoils the walk first
    } cases[] = {
        {"forward over a gap", {1, 2, 3, 4, 5}, "000105", "2", {1, 3, 4, 5, 2}},
        // 000103 and 000104 share place 3: in 编号 order behind the moved one; the gap after
        // them closes.
        {"shared places and gaps", {1, 5, 3, 3, 9}, "000101", "3", {3, 6, 4, 5, 7}},
        {"backward: the old place stays free", {1, 2, 3, 4}, "000101", "3", {3, 2, 4, 5}},
        {"beyond the end", {1, 2, 3}, "000101", "7.9", {7, 2, 3}},
        {"the whole walk one place on", {1, 2, 3, 4, 5}, "000105", "1", {2, 3, 4, 5, 1}},
        {"a walk far behind closes up", {1, 10, 11, 12}, "000101", "2", {2, 3, 4, 5}},
        // 000102 and 000104 move one on, 000103 between them keeps its place.
        {"a tie split by the move", {1, 2, 4, 4, 6}, "000101", "2", {2, 3, 4, 5, 6}},
        {"a place between whole numbers", {1, 2, 3, 4}, "000104", "2", {1, 3, 4, 2},
         "update 用户表管理 set 抄表序号=2.5 where 户号='000103'"},
        {"a place that is no number comes last", {1, 2, 3, 4}, "000101", "1", {1, 2, 4, 3},
         "update 用户表管理 set 抄表序号='x' where 户号='000103'"},
    };
    for (const Case& c : cases) {
        exec(s("delete from 用户表管理"));
        walk(c.before);
        if (c.before_move) exec(s(c.before_move));
        const auto outcome = households::move_meter_to_place(db(), id_of(s(c.moved)), s(c.typed));
        EXPECT_TRUE(outcome.moved) << c.what;
        EXPECT_EQ(outcome.reader, s("张师傅")) << c.what;
        EXPECT_EQ(outcome.done_message, s("序号移动成功！")) << c.what;
        EXPECT_EQ(places(), c.after) << c.what;
    }
    // Another reader's walk is not touched.
    insert_meter_account(s("000201"), s("0002"), s("水费"), s("民用水"), s("李师傅"), 3);
    households::move_meter_to_place(db(), id_of(s("000102")), s("1"));
    EXPECT_EQ(value(s("select 抄表序号 from 用户表管理 where 户号='000201'")), s("3"));
}

TEST_F(ReadingOrderTest, BadPlacesAndFailuresMoveNothing) {
    walk({1, 2, 3});
    for (const char* typed : {"0", "-2", "abc", "0.5"}) {
        const auto outcome = households::move_meter_to_place(db(), id_of(s("000103")), s(typed));
        EXPECT_FALSE(outcome.moved) << typed;
        EXPECT_EQ(texts(outcome.messages), QStringList{s("待设置的序号不能小于１。")}) << typed;
    }
    // A refused renumbering leaves every place as it was, the moved account's included.
    refuse("UPDATE", "用户表管理", "new.户号='000102'");
    auto outcome = households::move_meter_to_place(db(), id_of(s("000103")), s("1"));
    EXPECT_FALSE(outcome.moved);
    EXPECT_TRUE(outcome.messages.isEmpty());
    EXPECT_TRUE(outcome.error.contains(s("refused")));
    EXPECT_EQ(places(), (QList<int>{1, 2, 3}));
    // And so does a refused swap, half of it included.
    outcome = households::move_meter_one_place(db(), id_of(s("000103")), households::OneStep::Up);
    EXPECT_FALSE(outcome.moved);
    EXPECT_EQ(places(), (QList<int>{1, 2, 3}));
}

TEST_F(ReadingOrderTest, OnePlaceSwapsWithTheNeighbourAndStopsAtBothEnds) {
    walk({1, 2, 3});
    using households::OneStep;
    auto outcome = households::move_meter_one_place(db(), id_of(s("000101")), OneStep::Up);
    EXPECT_EQ(texts(outcome.messages), QStringList{s("已到首位。")});
    outcome = households::move_meter_one_place(db(), id_of(s("000103")), OneStep::Down);
    EXPECT_EQ(texts(outcome.messages), QStringList{s("已到末位。")});
    outcome = households::move_meter_one_place(db(), id_of(s("000101")), OneStep::Down);
    EXPECT_TRUE(outcome.moved);
    EXPECT_EQ(outcome.refill_question, s("序号下移成功，是否刷新列表？"));
    EXPECT_EQ(outcome.done_message, s("序号下移成功！"));
    EXPECT_EQ(places(), (QList<int>{2, 1, 3}));
}

}  // namespace
