#pragma once
// A small year of business for the charge statistics: three households on three streets (one
// street name holds a quote), an empty street, collectors (one name holds a quote), readings,
// bills paid at the window, settled from a balance, unpaid with and without a deduction, one
// void, and prepayments with and without a meter account. Bills and prepayments lie on the
// edges of March 2024 and of a settlement month, so the period rules show in the figures.
#include <initializer_list>
#include <vector>

#include "receipt_fixture.h"
#include "reports/report_period.h"

namespace reports_test {

class ChargeStatisticsTest : public ReceiptTest {
protected:
    void SetUp() override {
        ReceiptTest::SetUp();
        exec(
            s("insert into 用户信息表 (户号,父号,用户名,居住街道) values "
              "('0003','0','王五','河''西')"));
        for (const char* name : {"李会计", "王出纳", "", "欧'阳"})
            exec(s("insert into 收费员 (收费人员,密码,许可) values (") +
                 platform::sql_quote(s(name)) + ",'',1)");
        for (const char* name : {"东区", "西区", "", "空街", "河'西"})
            exec(s("insert into 街道 (街道) values (") + platform::sql_quote(s(name)) + ")");

        reading("000101", "0001", 20, "2024-03-01");
        reading("000102", "0001", 12.5, "2024-03-31");
        reading("000201", "0002", 7, "2024-03-15");
        reading("000101", "0001", 30, "2024-02-25");
        reading("000301", "0003", 3, "2024-04-01");

        // household, bill, serial (0: none), read on, paid on, collector, 实收金额, 预存扣款,
        // unpaid, valid
        bill("0001", 1, 100, "2024-02-25", "2024-03-05", "李会计", 12.50, 0, 0);
        bill("0001", 2, 100, "2024-02-25", "2024-03-05", "李会计", 7.25, 0, 0);
        bill("0002", 3, 101, "2024-03-01", "2024-03-31", "王出纳", 30.00, 0, 0);
        bill("0001", 4, 102, "2024-03-02", "2024-03-10", "预存扣款", 0, 20.00, 0);
        bill("0002", 5, 0, "2024-03-06", "2024-03-06", "未知", 15.00, 5.00, 1);
        bill("0002", 6, 0, "2024-03-20", "2024-03-20", "未知", 40.00, 0, 1);
        bill("0001", 7, 104, "2024-03-06", "2024-03-06", "李会计", 99.00, 0, 0, 2);
        bill("0001", 8, 105, "2024-03-28", "2024-04-01", "李会计", 1000.00, 0, 0);
        bill("0001", 9, 106, "2024-02-10", "2024-02-29", "王出纳", 8.00, 0, 0);
        bill("0003", 10, 107, "2024-03-15", "2024-03-15", "欧'阳", 5.55, 0, 0);
        bill("0002", 11, 108, "2023-12-20", "2023-12-26", "李会计", 3.00, 0, 0);
        bill("0002", 12, 109, "2023-12-20", "2023-12-25", "李会计", 4.00, 0, 0);

        // receipt, household, amount, day, collector, valid, meter account
        prepayment(9001, "0002", 50, "2024-03-05", "李会计", 1, "");
        prepayment(9002, "0002", 80, "2024-03-05", "李会计", 0, "");
        prepayment(9003, "0001", 25.5, "2024-03-12", "王出纳", 1, "000101");
        prepayment(9004, "0003", 10, "2024-03-01", "欧'阳", 1, "000301");  // no such account
        prepayment(9005, "0001", 60, "2024-04-02", "李会计", 1, "");
    }

    void reading(const char* account, const char* household, double usage, const char* day) {
        exec(s("insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,是否收费) "
               "values (") +
             platform::sql_quote(s(account)) + "," + platform::sql_quote(s(household)) + ",0," +
             platform::sql_number(usage) + "," + platform::sql_number(usage) + ",0,'" + s(day) +
             s("','水费',1)"));
    }

    void bill(const char* household, int receipt, qint64 serial, const char* read_on,
              const char* paid_on, const char* collector, double due, double from_prepaid,
              int unpaid, int valid = 1) {
        exec(s("insert into 总收费 (户号,收据号,流水号,标志,收费标志,收费项目,抄表日期,收费日期,"
               "收费人员,应收金额,实收金额,预存扣款) values (") +
             platform::sql_quote(s(household)) + "," + QString::number(receipt) + "," +
             (serial ? QString::number(serial) : s("null")) + "," + QString::number(valid) + "," +
             QString::number(unpaid) + s(",'水费','") + s(read_on) + "','" + s(paid_on) + "'," +
             platform::sql_quote(s(collector)) + "," + platform::sql_number(due + from_prepaid) +
             "," + platform::sql_number(due) + "," + platform::sql_number(from_prepaid) + ")");
    }

    void prepayment(qint64 receipt, const char* household, double amount, const char* day,
                    const char* collector, int valid, const char* account) {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,抄表户号) "
               "values (") +
             QString::number(receipt) + "," + platform::sql_quote(s(household)) + "," +
             platform::sql_number(amount) + ",'" + s(day) + "'," +
             platform::sql_quote(s(collector)) + ",''," + QString::number(valid) + "," +
             platform::sql_quote(s(account)) + ")");
    }

    // 日结算方式 and 月结算方式 with their days: an empty mode text gives the calendar form.
    static reports::ReportPeriodRule rule(const char* day_mode = "每月月底",
                                          int settlement_day = 25,
                                          const char* month_mode = "每年12月",
                                          int settlement_month = 11) {
        shell::SystemParameters p;
        p.day_settlement_mode = s(day_mode);
        p.settlement_day = settlement_day;
        p.month_settlement_mode = s(month_mode);
        p.settlement_month = settlement_month;
        return reports::ReportPeriodRule(p);
    }

    static std::vector<QStringList> lines(std::initializer_list<const char*> texts) {
        std::vector<QStringList> rows;
        for (const char* text : texts) rows.push_back(s(text).split(QLatin1Char('|')));
        return rows;
    }

    // Every row of a report whose first cell is not empty: the data rows and the totals.
    static std::vector<QStringList> filled(const std::vector<QStringList>& rows) {
        std::vector<QStringList> out;
        for (const QStringList& row : rows)
            if (!row.isEmpty() && !row.first().isEmpty()) out.push_back(row);
        return out;
    }
};

}  // namespace reports_test
