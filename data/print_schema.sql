-- The print database print.mdb (plain SQLite, no key), shipped empty as bak/print.bak.
-- Before every receipt the file is replaced by that pristine copy and the receipt's rows are
-- written into it; the receipt templates read "select * from" these tables by column name.
-- Dates are stored as the texts the receipts print, not as date values, so they are TEXT here.

-- One row per charge receipt (template sf.grf).
CREATE TABLE 用户信息 (
    户号     TEXT COLLATE NOCASE,
    用户名   TEXT COLLATE NOCASE,
    居住街道 TEXT COLLATE NOCASE,
    详细地址 TEXT COLLATE NOCASE,
    磁卡号码 TEXT COLLATE NOCASE,
    系统流水 TEXT COLLATE NOCASE,
    缴费性质 TEXT COLLATE NOCASE,
    收费日期 TEXT COLLATE NOCASE,
    上期结余 REAL,
    本期结余 REAL,
    应收金额 REAL,
    实收金额 REAL,
    预存扣款 REAL,
    减免金额 REAL,
    滞纳金   REAL,
    减免用量 INTEGER,
    收费人员 TEXT COLLATE NOCASE,
    实收大写 TEXT COLLATE NOCASE,
    -- The invoice number of the payment's last bill, for the receipt to show.
    发票号   TEXT COLLATE NOCASE
);

-- Detail lines of a charge receipt, in insertion order: reading lines, further tier lines,
-- surcharge lines. 起数 carries the surcharge name on a surcharge line, hence text; the columns a
-- line does not use stay empty.
CREATE TABLE 电表信息 (
    起数     TEXT COLLATE NOCASE,
    止数     REAL,
    用量     REAL,
    倍率     INTEGER,
    损耗     REAL,
    基本度数 REAL,
    实收     REAL,
    价格     REAL,
    金额     REAL,
    抄表日期 TEXT COLLATE NOCASE,
    收费项目 TEXT COLLATE NOCASE,
    价格类别 TEXT COLLATE NOCASE
);

-- One row per prepayment receipt (template yc.grf).
CREATE TABLE 预存信息 (
    户号     TEXT COLLATE NOCASE,
    用户名   TEXT COLLATE NOCASE,
    居住街道 TEXT COLLATE NOCASE,
    详细地址 TEXT COLLATE NOCASE,
    磁卡号码 TEXT COLLATE NOCASE,
    系统流水 TEXT COLLATE NOCASE,
    缴费性质 TEXT COLLATE NOCASE,
    预存日期 TEXT COLLATE NOCASE,
    上期结余 REAL,
    本期结余 REAL,
    预存金额 REAL,
    收费人员 TEXT COLLATE NOCASE,
    预存大写 TEXT COLLATE NOCASE
);
