#include "reports/statistics_entries.h"

#include <cmath>

#include "shell/action_names.h"

namespace reports {

QString current_report_name;

namespace {

using Preview = std::vector<std::pair<QString, double>>;

Preview columns(std::initializer_list<const char16_t*> titles, double divisor,
                Preview preview = {}) {
    for (const char16_t* title : titles) preview.emplace_back(QString::fromUtf16(title), divisor);
    return preview;
}

std::vector<StatisticsEntry> make_entries() {
    const auto s = [](const char16_t* text) { return QString::fromUtf16(text); };
    const double narrow = 12.833333333333334;
    std::vector<StatisticsEntry> t;
    t.push_back({s(u"数据报表3_收费日报表"), QString::fromLatin1(shell::action::kMainNavDailyChargeReport),
                 s(u"收费日报表"), s(u"收费日报表"), {s(u"按收费人员"), s(u"按居住街道")},
                 kYearAndMonth,
                 columns({u"收费日期"}, 9.625,
                         columns({u"收费人员", u"窗口收费户数", u"窗口收费金额", u"预存缴费户数",
                                  u"预存收费金额", u"收费金额合计", u"预存扣款金额"},
                                 11))});
    t.push_back({s(u"数据报表3_收费月报表"), QString::fromLatin1(shell::action::kMainNavMonthlyChargeReport),
                 s(u"收费月报表"), s(u"收费月统计"), {s(u"按收费人员"), s(u"按居住街道")},
                 kYearAndMonth,
                 columns({u"报表月份"}, 9.625,
                         columns({u"收费人员", u"窗口收费户数", u"窗口收费金额", u"预存缴费户数",
                                  u"预存收费金额", u"金额小计"},
                                 11))});
    t.push_back({s(u"数据报表3_抄表月报表"), QString::fromLatin1(shell::action::kMainNavMonthlyReadingReport),
                 s(u"抄表月报表"), s(u"抄表统计"),
                 {s(u"按抄表人员"), s(u"按居住街道"), s(u"按收费项目")}, kYearAndMonth,
                 columns({u"报表月份"}, narrow,
                         columns({u"本月用量"}, 11,
                                 columns({u"总户数", u"销户户数", u"应抄表户数", u"已抄表户数",
                                          u"未抄表户数", u"抄表率"},
                                         narrow, columns({u"抄表人员"}, 11))))});
    t.push_back({s(u"数据报表3_用户月报表"), QString::fromLatin1(shell::action::kMainNavMonthlyHouseholdReport),
                 s(u"用户月报表"), s(u"用户月报表"), {s(u"按居住街道")}, kYearAndMonth,
                 columns({u"居住街道", u"本月新增", u"总户数", u"报表日期"}, 11)});
    t.push_back({s(u"数据报表3_用户年报表"), QString::fromLatin1(shell::action::kMainNavAnnualHouseholdReport),
                 s(u"用户年报表"), s(u"用户年报表"), {s(u"按居住街道")}, kYearOnly,
                 columns({u"居住街道", u"本月新增", u"当前户数", u"报表日期"}, 11)});
    t.push_back({s(u"数据报表3_成本核算表"), QString::fromLatin1(shell::action::kMainNavAnnualChargeReport),
                 s(u"收费年报表"), s(u"收费年报表"), {s(u"按收费人员"), s(u"按居住街道")},
                 kYearOnly,
                 columns({u"报表年份"}, 9.625,
                         columns({u"收费人员", u"窗口收费户数", u"窗口收费金额", u"预存缴费户数",
                                  u"收费金额", u"金额小计"},
                                 11))});
    t.push_back({s(u"数据报表3_收费统计"), QString::fromLatin1(shell::action::kMainNavAnnualChargeLedger),
                 s(u"收费年报表"), s(u"收费年台帐"), {s(u"按月份")}, kYearOnly,
                 columns({u"报表月份", u"抄表用量", u"应收金额", u"窗口收费", u"预存收费",
                          u"收费合计", u"预存扣款", u"已收合计", u"未收金额"},
                         11)});
    return t;
}

}  // namespace

const std::vector<StatisticsEntry>& statistics_entries() {
    static const std::vector<StatisticsEntry> entries = make_entries();
    return entries;
}

const StatisticsEntry* statistics_entry(const QString& unit_or_handler) {
    for (const StatisticsEntry& entry : statistics_entries())
        if (entry.unit == unit_or_handler || entry.handler == unit_or_handler) return &entry;
    return nullptr;
}

const StatisticsEntry* statistics_entry_of_report(const QString& report_name) {
    for (const StatisticsEntry& entry : statistics_entries())
        if (entry.report_name == report_name) return &entry;
    return nullptr;
}

int statistics_column_width(int list_width, double divisor) {
    if (divisor <= 0) return 0;
    return static_cast<int>(std::trunc(list_width / divisor));
}

}  // namespace reports
