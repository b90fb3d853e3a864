// Every charge report in every grouping and period form, on a register of a few dozen households
// made up of the awkward cases (bills keyed by a meter account or by no household, a household
// registered twice, a meter account without a household, street and collector names that differ
// only in case, shared and missing serials, void rows, days on the edges of the periods), compared
// row by row with the same report worked out cell by cell: one plain statement per group and
// figure, as the reports' definitions state them. The builders read the period once and group in
// one pass; whatever way they do it, they must show exactly these rows.
#include <gtest/gtest.h>

#include <QDate>

#include "charge_statistics_fixture.h"
#include "platform/money.h"
#include "reports/charge_takings.h"
#include "reports/statistics_builders.h"

namespace reports_test {
namespace {

QString q(const QString& text) { return platform::sql_quote(text); }
QString day(const QDate& d) { return q(d.toString(Qt::ISODate)); }
QString amount(double v) { return reports::report_amount_text(v); }

class ChargeReportCells : public ChargeStatisticsTest {
protected:
    void SetUp() override {
        ChargeStatisticsTest::SetUp();
        for (const char* name : {"北区", "Ab"})
            exec(s("insert into 街道 (街道) values (") + q(s(name)) + ")");
        exec(s("insert into 收费员 (收费人员,密码,许可) values ('Clerk','',1)"));
        // Streets as the households carry them: in the list, in another case, or not listed.
        const char* const streets[] = {"东区", "西区", "北区", "AB", "ab", "无名街", "河'西"};
        const char* const collectors[] = {"李会计", "王出纳",   "欧'阳", "CLERK",
                                          "clerk",  "预存扣款", "其他人"};
        quint32 seed = 12345;
        const auto next = [&seed](int n) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 16) % static_cast<quint32>(n));
        };
        const QDate first(2023, 11, 20);  // bills and prepayments from here for 200 days
        int receipt = 100;
        qint64 serial = 500;
        for (int i = 0; i < 40; ++i) {
            const QString h = QString::number(1001 + i);
            exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道) values (") + q(h) +
                 ",'0','户'," + q(s(streets[i % 7])) + ")");
            exec(s("insert into 用户表管理 (户号,收费项目,价格类别,倍率,父号,状态) values (") +
                 q(h + "01") + ",'水费','居民水',1," + q(h) + ",'正常')");
            if (i % 5 == 0)
                exec(s("insert into 用户表管理 (户号,收费项目,价格类别,倍率,父号,状态) values (") +
                     q(h + "02") + ",'电费','居民电',10," + q(h) + ",'正常')");
            for (int k = 0; k < 3; ++k) {
                const QDate read = first.addDays(next(200));
                reading((h + "01").toUtf8().constData(), h.toUtf8().constData(), 1 + next(40) / 2.0,
                        read.toString(Qt::ISODate).toUtf8().constData());
            }
            for (int k = 0; k < 9; ++k) {
                // Keyed by the household, one of its meter accounts, or a number of no household.
                const int key = next(10);
                const QString number = key < 5   ? h
                                       : key < 8 ? h + "01"
                                       : key < 9 ? (i % 5 == 0 ? h + "02" : h)
                                                 : QStringLiteral("99") + h;
                const QDate read = first.addDays(next(200));
                const QDate paid = read.addDays(next(20));
                const int kind = next(10);
                const bool unpaid = kind >= 7;
                QString collector = s(collectors[next(7)]);
                double due = (1 + next(50000)) / 100.0, deduction = 0;
                if (collector == s("预存扣款")) {
                    deduction = due;
                    due = 0;
                }
                if (unpaid) {
                    collector = s("未知");
                    if (kind == 9) deduction = (1 + next(2000)) / 100.0;
                }
                // Two bills paid together share a serial; some paid bills have none.
                if (next(3) != 0) ++serial;
                const qint64 bill_serial = unpaid || next(12) == 0 ? 0 : serial;
                bill(number.toUtf8().constData(), ++receipt, bill_serial,
                     read.toString(Qt::ISODate).toUtf8().constData(),
                     paid.toString(Qt::ISODate).toUtf8().constData(),
                     collector.toUtf8().constData(), due, deduction, unpaid ? 1 : 0,
                     next(15) == 0 ? 2 : 1);
            }
            for (int k = 0; k < 2; ++k)
                prepayment(20000 + i * 2 + k,
                           (k && i % 6 == 0 ? QStringLiteral("88") + h : h).toUtf8().constData(),
                           (1 + next(3000)) / 10.0,
                           first.addDays(next(200)).toString(Qt::ISODate).toUtf8().constData(),
                           collectors[next(5)], next(8) == 0 ? 0 : 1, "");
        }
        // A household registered twice, on two streets; a meter account that names no
        // household; an unpaid bill of 未知 with a deduction but no receipt number.
        exec(s(
            "insert into 用户信息表 (户号,父号,用户名,居住街道) values ('1003','0','重','东区')"));
        exec(
            s("insert into 用户表管理 (户号,收费项目,价格类别,倍率,父号,状态) values "
              "('777701','水费','居民水',1,null,'正常')"));
        bill("777701", 9900, 9901, "2024-03-03", "2024-03-03", "李会计", 3.25, 0, 0);
        // Meter accounts carrying a household's own number: the bills of 1040 belong to a
        // household registered nowhere, those of 1039 to household 1001 (the greater of two).
        exec(
            s("insert into 用户表管理 (户号,收费项目,价格类别,倍率,父号,状态) values "
              "('1040','水费','居民水',1,'5555','正常'),('1039','水费','居民水',1,'1001','正常'),"
              "('1039','水费','居民水',1,'1000','正常')"));
        exec(
            s("insert into 总收费 (户号,收据号,流水号,标志,收费标志,收费项目,抄表日期,收费日期,"
              "收费人员,应收金额,实收金额,预存扣款) values ('1001',null,null,1,1,'水费',"
              "'2024-03-04','2024-03-04','未知',9,8,1)"));
    }

    QString text(const QString& sql) { return value(sql); }
    double number(const QString& sql) { return value(sql).toDouble(); }
    qint64 integer(const QString& sql) { return value(sql).toLongLong(); }

    QStringList collectors() {
        QStringList names;
        for (const QStringList& row :
             rows(s("select 收费人员 from 收费员 where 收费人员<>'管理员'")))
            if (!row.value(0).isEmpty()) names << row.value(0);
        return names;
    }
    QStringList streets() {
        QStringList names;
        for (const QStringList& row : rows(s("select 街道 from 街道")))
            if (!row.value(0).isEmpty()) names << row.value(0);
        return names;
    }

    // The household a bill's number belongs to: its meter account's, or its own.
    static QString household_of(const QString& number_column) {
        return s("coalesce((select max(a.父号) from 用户表管理 a where a.户号=") + number_column +
               s("),") + number_column + s(")");
    }

    // 收费月统计 and 收费年报表, cell by cell.
    std::vector<QStringList> takings(const QDate& from, const QDate& to, bool by_street,
                                     bool yearly, const QString& period_text) {
        const QString bills_in =
            s(" b.收费日期>=") + day(from) + s(" and b.收费日期<=") + day(to) + s(" and b.标志=1");
        const QString prepaid_in =
            s(" p.预存日期>=") + day(from) + s(" and p.预存日期<=") + day(to) + s(" and p.标志=1");
        std::vector<QStringList> out;
        if (by_street) {
            qint64 read = 0, paid = 0, unpaid = 0, prepay_rows = 0;
            double collected = 0, prepay = 0, deduction = 0;
            for (const QString& g : streets()) {
                const QString street = s(" and u.居住街道=") + q(g);
                const QString bills_of = s(" from 总收费 b, 用户信息表 u where u.户号=") +
                                         household_of(s("b.户号")) + street + s(" and") + bills_in;
                const qint64 r = integer(
                    s("select count(*) from 抄表总表 r, 用户信息表 u where r.父号=u.户号") +
                    street + s(" and r.抄表日期>=") + day(from) + s(" and r.抄表日期<=") + day(to));
                const qint64 p = integer(s("select count(*)") + bills_of + s(" and b.收费标志=0"));
                const qint64 n = integer(s("select count(*)") + bills_of + s(" and b.收费标志=1"));
                const double c =
                    number(s("select total(b.实收金额)") + bills_of + s(" and b.收费标志=0"));
                const double d = number(s("select total(b.预存扣款)") + bills_of +
                                        (yearly ? s("") : s(" and b.收费标志=0")));
                const QString prepaid_of = s(" from 预存明细 p, 用户信息表 u where p.户号=u.户号") +
                                           street + s(" and") + prepaid_in;
                const qint64 pr = integer(s("select count(p.户号)") + prepaid_of);
                const double pa = number(s("select total(p.预存金额)") + prepaid_of);
                QStringList row = {g, QString::number(r), QString::number(p), QString::number(n),
                                   amount(c)};
                if (yearly) row << QString::number(pr);
                row << amount(pa) << amount(c + pa) << reports::report_rate_text(p, r) << amount(d)
                    << period_text;
                out.push_back(row);
                out.push_back(QStringList(row.size(), QString()));
                read += r, paid += p, unpaid += n, prepay_rows += pr;
                collected += c, prepay += pa, deduction += d;
            }
            QStringList total = {s("合计"), QString::number(read), QString::number(paid),
                                 QString::number(unpaid), amount(collected)};
            if (yearly) total << QString::number(prepay_rows);
            total << amount(prepay) << amount(collected + prepay)
                  << reports::report_rate_text(paid, read) << amount(deduction) << period_text;
            out.push_back(total);
            return out;
        }
        QStringList groups = collectors();
        groups << s("预存扣款") << s("前期扣款");
        qint64 serials = 0, prepay_rows = 0;
        double window = 0, prepay = 0;
        for (const QString& g : groups) {
            const bool earlier = g == s("前期扣款");
            const QString paid_by = s(" from 总收费 b where") + bills_in +
                                    s(" and b.收费标志=0 and b.收费人员=") + q(g);
            // Bills paid under one serial count once; bills paid without one, as one more.
            const qint64 count =
                earlier ? integer(s("select count(*) from 总收费 b where") + bills_in +
                                  s(" and b.收费人员='未知' and b.收费标志=1 and b.预存扣款>0"))
                        : integer(s("select count(distinct b.流水号)") + paid_by) +
                              (integer(s("select count(*)") + paid_by + s(" and b.流水号 is null"))
                                   ? 1
                                   : 0);
            const double w = earlier ? 0 : number(s("select total(b.实收金额)") + paid_by);
            const QString prepaid_by =
                s(" from 预存明细 p where") + prepaid_in + s(" and p.收费人员=") + q(g);
            const qint64 pr = integer(s("select count(p.户号)") + prepaid_by);
            const double pa = number(s("select total(p.预存金额)") + prepaid_by);
            out.push_back({g, QString::number(count), amount(w), QString::number(pr), amount(pa),
                           amount(w + pa), period_text});
            out.push_back(QStringList(7, QString()));
            serials += count, prepay_rows += pr, window += w, prepay += pa;
        }
        out.push_back({s("合计"), QString::number(serials), amount(window),
                       QString::number(prepay_rows), amount(prepay), amount(window + prepay),
                       period_text});
        return out;
    }

    // 收费日报表, cell by cell, day by day.
    std::vector<QStringList> daily(const QDate& from, const QDate& to, bool by_street,
                                   const QString& period_text) {
        QStringList groups = by_street ? streets() : collectors();
        if (!by_street) groups << s("预存扣款") << s("未知");
        const QString counted = s(" b.标志=1 and (b.预存扣款>0 or b.收费标志=0)");
        std::vector<QStringList> out;
        for (QDate d = from; d <= to; d = d.addDays(1)) {
            if (!integer(s("select count(*) from 总收费 where 收费日期=") + day(d)) &&
                !integer(s("select count(*) from 预存明细 where 预存日期=") + day(d)))
                continue;
            qint64 sub_count = 0, sub_prepay_count = 0;
            double sub_window = 0, sub_prepay = 0, sub_total = 0, sub_deduction = 0;
            for (const QString& g : groups) {
                // The group's counted bills of the day; its amounts only where the household is
                // registered, once for each time it is.
                const QString of_group =
                    by_street
                        ? s(" b.户号 in (select n.户号 from 总收费 n, 用户信息表 u where "
                            "u.户号=") +
                              household_of(s("n.户号")) + s(" and u.居住街道=") + q(g) + s(")")
                        : s(" b.收费人员=") + q(g);
                const QString bills = s(" from 总收费 b where b.收费日期=") + day(d) + s(" and") +
                                      counted + s(" and") + of_group;
                const QString registered = s(" from 总收费 b, 用户信息表 u where u.户号=") +
                                           household_of(s("b.户号")) +
                                           (by_street ? s(" and u.居住街道=") + q(g) : QString()) +
                                           s(" and b.收费日期=") + day(d) + s(" and") + counted +
                                           (by_street ? QString() : s(" and b.收费人员=") + q(g));
                qint64 count =
                    integer(s("select count(distinct b.流水号)") + bills) +
                    (integer(s("select count(*)") + bills + s(" and b.流水号 is null")) ? 1 : 0);
                double window = number(
                    s("select total(case when b.收费标志=0 then b.实收金额 end)") + registered);
                const double deduction = number(s("select total(b.预存扣款)") + registered);
                const QString prepaid =
                    by_street ? s(" from 预存明细 p, 用户信息表 u where p.户号=u.户号 and "
                                  "u.居住街道=") +
                                    q(g)
                              : s(" from 预存明细 p where p.收费人员=") + q(g);
                qint64 prepay_count = integer(s("select count(p.户号)") + prepaid +
                                              s(" and p.标志=1 and p.预存日期=") + day(d));
                double prepay = number(s("select total(p.预存金额)") + prepaid +
                                       s(" and p.标志=1 and p.预存日期=") + day(d));
                const bool unknown = !by_street && g == s("未知");
                if (unknown) {
                    // Bills with a receipt number, each counted once per registration.
                    count = integer(s("select count(b.收据号)") +
                                    s(" from 总收费 b left join "
                                      "用户信息表 u on u.户号=") +
                                    household_of(s("b.户号")) + s(" where b.收费日期=") + day(d) +
                                    s(" and") + counted + s(" and b.收费人员='未知'"));
                    window = 0, prepay_count = 0, prepay = 0;
                }
                if (count <= 0 && prepay_count <= 0) continue;
                out.push_back({unknown ? s("前期扣款") : g, QString::number(count), amount(window),
                               QString::number(prepay_count), amount(prepay),
                               amount(prepay + window), amount(deduction), QString()});
                sub_count += count, sub_prepay_count += prepay_count;
                sub_window += window, sub_prepay += prepay, sub_total += prepay + window;
                sub_deduction += deduction;
            }
            if (sub_total > platform::kMoneyTolerance || sub_count > 0) {
                out.push_back({s("小计"), QString::number(sub_count), amount(sub_window),
                               QString::number(sub_prepay_count), amount(sub_prepay),
                               amount(sub_total), amount(sub_deduction),
                               reports::report_date_text(d)});
                out.push_back(QStringList(8, QString()));
            }
        }
        // The month over every counted bill and prepayment, whatever group it falls in.
        const QString month = s(" from 总收费 b where b.收费日期>=") + day(from) +
                              s(" and b.收费日期<=") + day(to) + s(" and") + counted;
        const qint64 serials =
            integer(s("select count(distinct b.流水号)") + month) +
            (integer(s("select count(*)") + month + s(" and b.流水号 is null")) ? 1 : 0);
        const double window =
            number(s("select total(case when b.收费标志=0 then b.实收金额 end)") + month);
        const double deduction = number(s("select total(b.预存扣款)") + month);
        const QString prepaid = s(" from 预存明细 p where p.标志=1 and p.预存日期>=") + day(from) +
                                s(" and p.预存日期<=") + day(to);
        const double prepay = number(s("select total(p.预存金额)") + prepaid);
        out.push_back({s("合计"), QString::number(serials), amount(window),
                       QString::number(integer(s("select count(p.户号)") + prepaid)),
                       amount(prepay), amount(prepay + window), amount(deduction), period_text});
        return out;
    }

    // 收费年台帐, cell by cell, month by month.
    std::vector<QStringList> ledger(const std::vector<reports::ReportYearMonth>& months) {
        std::vector<QStringList> out;
        double year[7] = {};
        const auto line = [](const QString& label, const double* v) {
            return QStringList{
                label,        platform::to_text(v[0]), amount(v[1]), amount(v[2]),
                amount(v[3]), amount(v[2] + v[3]),     amount(v[4]), amount(v[2] + v[4]),
                amount(v[5])};
        };
        for (const reports::ReportYearMonth& m : months) {
            const QDate first(m.end.year(), m.end.month(), 1);
            const QString calendar = s(" 抄表日期>=") + day(first) + s(" and 抄表日期<=") +
                                     day(first.addDays(first.daysInMonth() - 1));
            const QString in_month =
                s(" 抄表日期>=") + day(m.start) + s(" and 抄表日期<=") + day(m.end);
            double v[7] = {
                number(s("select total(用量) from 抄表总表 where") + calendar),
                number(s("select total(实收金额)+total(预存扣款) from 总收费 where 标志=1 and") +
                       calendar),
                number(s("select total(实收金额) from 总收费 where 标志=1 and 收费标志=0 and "
                         "收费日期>=") +
                       day(m.start) + s(" and 收费日期<=") + day(m.end)),
                number(s("select total(预存金额) from 预存明细 where 标志=1 and 预存日期>=") +
                       day(m.start) + s(" and 预存日期<=") + day(m.end)),
                number(s("select total(预存扣款) from 总收费 where 标志=1 and") + in_month),
                number(s("select total(实收金额) from 总收费 where 标志=1 and 收费标志=1 and") +
                       in_month),
            };
            out.push_back(line(m.label, v));
            out.push_back(QStringList(9, QString()));
            for (int k = 0; k < 6; ++k) year[k] += v[k];
        }
        out.push_back(line(s("合计"), year));
        return out;
    }
};

TEST_F(ChargeReportCells, EveryReportGroupingAndPeriodFormShowsItsCells) {
    struct Form {
        const char* what;
        reports::ReportPeriodRule rule;
    };
    const Form forms[] = {
        {"calendar months, calendar year", rule()},
        {"settlement day 25, calendar year", rule("固定日期", 25)},
        {"calendar months, year to November", rule("每月月底", 25, "实际月份", 11)},
        {"settlement day 20, year to February", rule("固定日期", 20, "实际月份", 2)},
    };
    const std::pair<const char*, const char*> periods[] = {{"2024", "3"}, {"2024", "1"}};
    int compared = 0;
    for (const Form& f : forms) {
        for (const auto& [year_text, month_text] : periods) {
            const QString y = s(year_text), m = s(month_text);
            const reports::ReportPeriod month = f.rule.report_month_bounds(y, m);
            const auto months = f.rule.report_year_months(y, false);
            const QString month_label = y + s("年") + m + s("月");
            struct Case {
                const char* report;
                QString grouping;
                std::vector<QStringList> expected;
            };
            const Case cases[] = {
                {"收费月统计", reports::kByCollector,
                 takings(month.start, month.end, false, false, month_label)},
                {"收费月统计", reports::kByStreet,
                 takings(month.start, month.end, true, false, month_label)},
                {"收费年报表", reports::kByCollector,
                 takings(months.front().start, months.back().end, false, true, y + s("年"))},
                {"收费年报表", reports::kByStreet,
                 takings(months.front().start, months.back().end, true, true, y + s("年"))},
                {"收费日报表", reports::kByCollector,
                 daily(month.start, month.end, false, month_label)},
                {"收费日报表", reports::kByStreet,
                 daily(month.start, month.end, true, month_label)},
                {"收费年台帐", s("按月份"), ledger(months)},
            };
            for (const Case& c : cases) {
                const auto report = (*reports::statistics_builder(s(c.report)))(
                    store::main_connection(), y, m, c.grouping, f.rule, {});
                ASSERT_EQ(report.rows.size(), c.expected.size())
                    << c.report << " " << c.grouping.toStdString() << ", " << f.what << ", "
                    << year_text << "-" << month_text;
                for (size_t k = 0; k < c.expected.size(); ++k)
                    EXPECT_EQ(report.rows[k], c.expected[k])
                        << c.report << " " << c.grouping.toStdString() << ", " << f.what << ", "
                        << year_text << "-" << month_text << ", row " << k;
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 56);
}

}  // namespace
}  // namespace reports_test
