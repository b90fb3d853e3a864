#include "reports/charge_takings.h"

#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/money.h"
#include "platform/query.h"
#include "reports/period_bills.h"
#include "reports/typed_literals.h"

namespace reports {

namespace {

using platform::OnFailure;

QString count_text(qint64 count) { return QString::number(count); }

// The figures of every group over the period come from one pass over the period's bills (and
// readings and prepayments), read from the indexes on their days, and summed
// per collector or per number in memory: reading the period is the report's cost, however many
// groups there are and however long the history. Sums are kept in extended precision, so the
// order the rows come in cannot move a total by a cent.
struct Figures {
    qint64 a = 0, b = 0, c = 0, d = 0;
    long double x = 0, y = 0, z = 0;
};
using FigureMap = std::unordered_map<std::string, Figures>;

Figures figures_of(const FigureMap& figures, const QString& group) {
    const auto it = figures.find(report_group_key(group).toStdString());
    return it == figures.end() ? Figures() : it->second;
}

// Prepayments grouped by the database (they are few): each group's rows into `rows`, its amount
// into y.
void add_prepayments(platform::Connection& main, const QString& sql, FigureMap& figures,
                     qint64 Figures::*rows) {
    for (const QStringList& row : platform::query_rows(main, sql, OnFailure::Quiet)) {
        Figures& f = figures[report_group_key(row.value(0)).toStdString()];
        f.*rows += row.value(1).toLongLong();
        f.y += row.value(2).toDouble();
    }
}

QString range(const QString& column, const QString& s, const QString& e) {
    return column + QStringLiteral(">=") + s + QStringLiteral(" and ") + column +
           QStringLiteral(" <= ") + e;
}

// Per collector: window payments (serials and amount) and prepayments taken (rows and amount).
// a = serials, x = window amount, b = prepayment rows, y = prepaid amount. The bills paid (bills
// paid under one serial count once, bills without a serial as one more) and the unpaid ones
// 未知 took that already carry a deduction, which took no money at the window and are counted
// as bills under 前期扣款.
// Nothing when a read failed part-way (and was told).
std::optional<FigureMap> collector_figures(platform::Connection& main, const QDate& first,
                                           const QDate& last, const QString& s,
                                           const QString& e) {
    FigureMap figures;
    std::unordered_map<std::string, SerialSet> serials;
    const std::string unknown = QStringLiteral("未知").toStdString();
    qint64 earlier = 0;
    std::string key;
    RowStream bills(main,
                    "select 收费人员,收费标志,流水号,实收金额 from 总收费 where 收费日期>=?1 and "
                    "收费日期<=?2 and 标志=1 and (收费标志=0 or (收费人员='未知' and 收费标志=1 "
                    "and 预存扣款>0))");
    bills.bind_day(1, first);
    bills.bind_day(2, last);
    while (bills.next()) {
        key.clear();
        fold_key_into(bills.text(0), key);
        if (bills.number(1) == 0) {
            serials[key].add(bills, 2);
            figures[key].x += bills.number(3);
        } else if (key == unknown) {
            ++earlier;
        }
    }
    if (bills.failed()) return std::nullopt;
    for (auto& [collector, set] : serials) figures[collector].a = set.count();
    figures[report_group_key(kEarlierDeduction).toStdString()].a = earlier;
    add_prepayments(
        main,
        QStringLiteral("select 收费人员,count(户号),total(预存金额) from 预存明细 where ") +
            range(QStringLiteral("预存日期"), s, e) +
            QStringLiteral(" and 标志=1 group by 收费人员"),
        figures, &Figures::b);
    return figures;
}

// Per street: a = readings, b = paid bills, c = unpaid bills, d = prepayment rows,
// x = collected, y = prepaid, z = deductions. A reading belongs to the street of its household
// (父号), a bill to that of the household its number belongs to, also when the bill is keyed by
// one of the household's meter accounts; each counts once for each registration of the
// household. Each reading and bill of the period is read once and matched to its household's
// streets in the register read beforehand. Nothing when a read failed part-way (and was told).
std::optional<FigureMap> street_figures(platform::Connection& main, const QDate& first,
                                        const QDate& last, const QString& s, const QString& e,
                                        bool yearly) {
    const RegisterStreets reg(main);
    if (reg.failed()) return std::nullopt;
    std::vector<Figures> streets(reg.streets().size());
    std::string key;
    RowStream readings(main, "select 父号 from 抄表总表 where 抄表日期>=?1 and 抄表日期<=?2");
    readings.bind_day(1, first);
    readings.bind_day(2, last);
    while (readings.next()) {
        if (readings.is_null(0)) continue;
        key.clear();
        fold_key_into(readings.text(0), key);
        for (int r = reg.household(key); r >= 0; r = reg.next(r))
            ++streets[static_cast<size_t>(reg.street(r))].a;
    }
    if (readings.failed()) return std::nullopt;
    RowStream bills(main,
                    "select 户号,收费标志,实收金额,预存扣款 from 总收费 where 收费日期>=?1 and "
                    "收费日期<=?2 and 标志=1");
    bills.bind_day(1, first);
    bills.bind_day(2, last);
    while (bills.next()) {
        if (bills.is_null(0)) continue;
        key.clear();
        fold_key_into(bills.text(0), key);
        const int household = reg.bill_household(key);
        if (household < 0) continue;
        const bool state = !bills.is_null(1);
        const bool paid = state && bills.number(1) == 0;
        const bool unpaid = state && bills.number(1) == 1;
        const double collected = paid ? bills.number(2) : 0;
        // A month counts the deductions of paid bills, a year those of every valid bill.
        const double deducted = paid || yearly ? bills.number(3) : 0;
        for (int r = household; r >= 0; r = reg.next(r)) {
            Figures& f = streets[static_cast<size_t>(reg.street(r))];
            f.b += paid;
            f.c += unpaid;
            f.x += collected;
            f.z += deducted;
        }
    }
    if (bills.failed()) return std::nullopt;
    FigureMap figures;
    for (size_t k = 0; k < streets.size(); ++k) figures[reg.streets()[k]] = streets[k];
    // Prepayments belong to the street of the household they were paid for.
    add_prepayments(main,
                    QStringLiteral("select 用户信息表.居住街道,count(预存明细.户号),"
                                   "total(预存明细.预存金额) from 预存明细,用户信息表 where "
                                   "预存明细.户号=用户信息表.户号 and ") +
                        range(QStringLiteral("预存明细.预存日期"), s, e) +
                        QStringLiteral(" and 预存明细.标志=1 group by 用户信息表.居住街道"),
                    figures, &Figures::d);
    return figures;
}

}  // namespace

QString report_rate_text(double collected, double read) {
    if (std::fabs(collected) <= platform::kMoneyTolerance ||
        std::fabs(read) <= platform::kMoneyTolerance)
        return QStringLiteral("0.00%");
    return report_amount_text(collected / read * 100) + QLatin1Char('%');
}

StatisticsReport build_charge_takings(platform::Connection& main, const QString& grouping,
                                      const ChargeTakingsShape& shape,
                                      const ReportProgress& progress) {
    StatisticsReport report;
    const bool by_street = grouping == kByStreet;
    const QString& s = shape.start_literal;
    const QString& e = shape.end_literal;
    QStringList groups;
    if (by_street) {
        report.columns = {QStringLiteral("街道名称"), QStringLiteral("抄表户数"),
                          QStringLiteral("已收费户数"), QStringLiteral("未收费户数"),
                          QStringLiteral("收费金额")};
        report.divisors = {12.833333333333334, 15.4, 14, 14, 15.4};
        if (shape.yearly) {
            report.columns << QStringLiteral("预存户数");
            report.divisors.push_back(15.4);
        }
        report.columns << QStringLiteral("预存金额") << QStringLiteral("收款小计")
                       << QStringLiteral("收费率") << QStringLiteral("预存扣款")
                       << shape.period_title;
        for (double divisor : {15.4, 15.4, 15.4, 15.4, 12.833333333333334})
            report.divisors.push_back(divisor);
        groups = report_group_names(main, QStringLiteral("select 街道 from 街道"));
    } else {
        report.columns = {QStringLiteral("收费人员"),
                          QStringLiteral("窗口收费户数"),
                          QStringLiteral("窗口收费金额"),
                          QStringLiteral("预存缴费户数"),
                          shape.collector_prepay_title,
                          QStringLiteral("金额小计"),
                          shape.period_title};
        report.divisors.assign(7, 11);
        groups = report_group_names(
            main, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"));
        groups << kSettledFromBalance << kEarlierDeduction;
    }
    report.progress_steps = static_cast<int>(groups.size());
    GroupProgress group_done(progress, report.progress_steps);
    const int width = static_cast<int>(report.columns.size());
    // The bounds carry the box texts as typed: one that names no day matches nothing, and is
    // never run, so no text typed into a box becomes part of a statement.
    const bool usable = report_literal_is_day(s) && report_literal_is_day(e);

    if (by_street) {
        const std::optional<FigureMap> pass =
            usable ? street_figures(main, shape.first_day, shape.last_day, s, e, shape.yearly)
                   : FigureMap();
        // Part of the period is no period: the report shows nothing rather than that.
        if (!pass) return report;
        const FigureMap& figures = *pass;
        qint64 read = 0, paid = 0, unpaid = 0, prepay_rows = 0;
        double collected = 0, prepay = 0, deduction = 0;
        for (const QString& g : groups) {
            group_done();
            const Figures f = figures_of(figures, g);
            const struct {
                qint64 read, paid, unpaid, prepay_rows;
                double collected, prepay, deduction;
            } c{f.a,
                f.b,
                f.c,
                f.d,
                static_cast<double>(f.x),
                static_cast<double>(f.y),
                static_cast<double>(f.z)};
            QStringList row = {g, count_text(c.read), count_text(c.paid), count_text(c.unpaid),
                               report_amount_text(c.collected)};
            if (shape.yearly) row << count_text(c.prepay_rows);
            row << report_amount_text(c.prepay) << report_amount_text(c.collected + c.prepay)
                << report_rate_text(static_cast<double>(c.paid), static_cast<double>(c.read))
                << report_amount_text(c.deduction) << shape.period_text;
            report.rows.push_back(row);
            report.rows.push_back(QStringList(width, QString()));
            read += c.read;
            paid += c.paid;
            unpaid += c.unpaid;
            prepay_rows += c.prepay_rows;
            collected += c.collected;
            prepay += c.prepay;
            deduction += c.deduction;
        }
        QStringList total = {QStringLiteral("合计"), count_text(read), count_text(paid),
                             count_text(unpaid), report_amount_text(collected)};
        if (shape.yearly) total << count_text(prepay_rows);
        total << report_amount_text(prepay) << report_amount_text(collected + prepay)
              << report_rate_text(static_cast<double>(paid), static_cast<double>(read))
              << report_amount_text(deduction) << shape.period_text;
        report.rows.push_back(total);
    } else {
        const std::optional<FigureMap> pass =
            usable ? collector_figures(main, shape.first_day, shape.last_day, s, e) : FigureMap();
        if (!pass) return report;
        const FigureMap& figures = *pass;
        qint64 serials = 0, prepay_rows = 0;
        double window = 0, prepay = 0;
        for (const QString& g : groups) {
            group_done();
            const Figures f = figures_of(figures, g);
            // 前期扣款 took nothing at the window: its bills are unpaid.
            const bool earlier = g == kEarlierDeduction;
            const struct {
                qint64 serials, prepay_rows;
                double window, prepay;
            } c{f.a, f.b, earlier ? 0 : static_cast<double>(f.x), static_cast<double>(f.y)};
            report.rows.push_back({g, count_text(c.serials), report_amount_text(c.window),
                                   count_text(c.prepay_rows), report_amount_text(c.prepay),
                                   report_amount_text(c.window + c.prepay), shape.period_text});
            report.rows.push_back(QStringList(width, QString()));
            serials += c.serials;
            prepay_rows += c.prepay_rows;
            window += c.window;
            prepay += c.prepay;
        }
        report.rows.push_back({QStringLiteral("合计"), count_text(serials),
                               report_amount_text(window), count_text(prepay_rows),
                               report_amount_text(prepay), report_amount_text(window + prepay),
                               shape.period_text});
    }
    const int total_row = static_cast<int>(report.rows.size()) - 1;
    for (int column = 0; column < width; ++column) report.red_cells.push_back({total_row, column});
    return report;
}

}  // namespace reports
