-- Shipped database: shell, administration, household register and tariff tables.
-- Column order matters: several readers take columns by position (select * ...).
-- Text columns compare without regard to case, as the Access engine did; date
-- columns are declared DATE so that the database layer recognises them.

-- Schema version; the shipped file is already at the newest version.
CREATE TABLE 版本 (
    版本号 TEXT COLLATE NOCASE
);

-- System parameters, one row per key. The loader reads 值 and 文本 by position
-- (second and third column), so no key column may stand before them.
CREATE TABLE pz (
    项目名称 TEXT COLLATE NOCASE,
    值 INTEGER,
    文本 TEXT COLLATE NOCASE
);

-- Column settings of every list page.
CREATE TABLE 查询列 (
    编号 INTEGER PRIMARY KEY AUTOINCREMENT,
    类名 TEXT COLLATE NOCASE,
    列名 TEXT COLLATE NOCASE,
    显示 TEXT COLLATE NOCASE,
    列宽 INTEGER,
    排序 INTEGER
);

-- Permission groups (首项 non-zero) and grantable items (首项 0).
CREATE TABLE 权限项目 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    项目名称 TEXT COLLATE NOCASE,
    父项目 TEXT COLLATE NOCASE,
    首项 INTEGER
);

-- Grants: one row per operator and item.
CREATE TABLE 权限管理 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    权限标识 INTEGER,
    当前项目 TEXT COLLATE NOCASE,
    人员姓名 TEXT COLLATE NOCASE
);

-- Operation log.
CREATE TABLE 日志管理 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    操作人员 TEXT COLLATE NOCASE,
    发生时间 DATE,
    上级项目 TEXT COLLATE NOCASE,
    当前项目 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE
);

-- Operators. Readers take the first and third column by position.
CREATE TABLE 收费员 (
    收费人员 TEXT COLLATE NOCASE,
    密码 TEXT COLLATE NOCASE,
    许可 INTEGER
);

-- Households (父号 '0') and, in principle, sub-households.
CREATE TABLE 用户信息表 (
    编号 INTEGER PRIMARY KEY AUTOINCREMENT,
    户号 TEXT COLLATE NOCASE,
    父号 TEXT COLLATE NOCASE,
    用户名 TEXT COLLATE NOCASE,
    居住街道 TEXT COLLATE NOCASE,
    详细地址 TEXT COLLATE NOCASE,
    身份证号 TEXT COLLATE NOCASE,
    家庭人口 INTEGER,
    建档时间 DATE,
    磁卡号码 TEXT COLLATE NOCASE,
    开户银行 TEXT COLLATE NOCASE,
    银行帐号 TEXT COLLATE NOCASE,
    性质 INTEGER,
    备注 TEXT COLLATE NOCASE,
    助记词 TEXT COLLATE NOCASE,
    固定电话 TEXT COLLATE NOCASE,
    移动电话 TEXT COLLATE NOCASE,
    物业类别 TEXT COLLATE NOCASE,
    物业面积 REAL,
    停车费 REAL,
    目前状态 TEXT COLLATE NOCASE
);

-- Streets.
CREATE TABLE 街道 (
    街道 TEXT COLLATE NOCASE
);

-- Meter accounts: the columns in insert order, the identity last.
CREATE TABLE 用户表管理 (
    户号 TEXT COLLATE NOCASE,
    收费项目 TEXT COLLATE NOCASE,
    价格类别 TEXT COLLATE NOCASE,
    开始起数 REAL,
    抄表人员 TEXT COLLATE NOCASE,
    倍率 INTEGER,
    计量编号 TEXT COLLATE NOCASE,
    抄表序号 INTEGER,
    建表时间 DATE,
    父号 TEXT COLLATE NOCASE,
    状态 TEXT COLLATE NOCASE,
    编号 INTEGER PRIMARY KEY AUTOINCREMENT
);

-- Bills. 收据号 is empty on void marker rows, 流水号 while a bill was never paid.
CREATE TABLE 总收费 (
    户号 TEXT COLLATE NOCASE,
    收据号 INTEGER,
    流水号 INTEGER,
    发票号 TEXT COLLATE NOCASE,
    标志 INTEGER,
    收费标志 INTEGER,
    收费项目 TEXT COLLATE NOCASE,
    价格类别 TEXT COLLATE NOCASE,
    抄表人员 TEXT COLLATE NOCASE,
    抄表日期 DATE,
    收费日期 DATE,
    收费人员 TEXT COLLATE NOCASE,
    实收量 REAL,
    价格 REAL,
    水费金额 REAL,
    附加费金额 REAL,
    成本金额 REAL,
    差额 REAL,
    应收金额 REAL,
    减免金额 REAL,
    减免用量 INTEGER,
    上月接转 REAL,
    本月接转 REAL,
    实收金额 REAL,
    预存扣款 REAL,
    滞纳金 REAL,
    水损 REAL
);

-- Surcharge lines of the bills.
CREATE TABLE 月附加费 (
    户号 TEXT COLLATE NOCASE,
    附加费名称 TEXT COLLATE NOCASE,
    用量 REAL,
    价格 REAL,
    金额 REAL,
    收费日期 DATE,
    收据号 INTEGER,
    收费标志 INTEGER,
    收费项目 TEXT COLLATE NOCASE,
    价格类别 TEXT COLLATE NOCASE
);

-- Reductions granted on bills.
CREATE TABLE 减免明细 (
    编号 INTEGER PRIMARY KEY AUTOINCREMENT,
    户号 TEXT COLLATE NOCASE,
    减免金额 REAL,
    减免用量 INTEGER,
    抄表ID TEXT COLLATE NOCASE,
    减免日期 DATE,
    收据号 INTEGER,
    减免类型 TEXT COLLATE NOCASE
);

-- The highest number ever given under a name: '收据号' for bills and reduction records. Deleting a
-- bill never lowers it, so a number once given is never given to another bill.
CREATE TABLE 号码计数 (
    名称   TEXT COLLATE NOCASE PRIMARY KEY,
    最大号 INTEGER NOT NULL DEFAULT 0
);

-- Mixed-use shares of a meter account over several price categories.
-- Must not share column names with 水价类别 other than through the join:
-- the engine joins the two with unqualified column names.
CREATE TABLE 混合用水 (
    户号 TEXT COLLATE NOCASE,
    价格类别 TEXT COLLATE NOCASE,
    百分比值 INTEGER
);

-- Invoice batches.
CREATE TABLE 发票设置 (
    编号 INTEGER PRIMARY KEY AUTOINCREMENT,
    领取时间 DATE,
    发票代码 TEXT COLLATE NOCASE,
    发票起号 TEXT COLLATE NOCASE,
    发票止号 TEXT COLLATE NOCASE,
    发票类型 TEXT COLLATE NOCASE,
    总张数 INTEGER,
    收费人员 TEXT COLLATE NOCASE,
    用完标志 INTEGER,
    当前发票号 TEXT COLLATE NOCASE,
    已使用 INTEGER,
    作废 INTEGER,
    总开票金额 REAL
);

-- Fee items.
CREATE TABLE 收费项目 (
    编号 INTEGER PRIMARY KEY AUTOINCREMENT,
    项目名称 TEXT COLLATE NOCASE,
    计费模式 TEXT COLLATE NOCASE,
    收零用量 TEXT COLLATE NOCASE,
    阶梯收费 TEXT COLLATE NOCASE,
    自动损耗 TEXT COLLATE NOCASE,
    损耗位数 TEXT COLLATE NOCASE
);

-- Price categories. 编号 is written by the add dialog (row count + 1), so it is
-- neither a key nor unique.
CREATE TABLE 水价类别 (
    编号 INTEGER,
    水价类别 TEXT COLLATE NOCASE,
    收费项目 TEXT COLLATE NOCASE,
    价格 REAL,
    基本方 REAL,
    电损率 INTEGER
);

-- Tiers of a price category.
CREATE TABLE 阶梯信息 (
    类别名称 TEXT COLLATE NOCASE,
    收费项目 TEXT COLLATE NOCASE,
    阶梯序号 INTEGER,
    阶梯起量 REAL,
    阶梯止量 REAL,
    类别价格 REAL
);

-- Surcharges of a price category. Rebilling reads the price as the second
-- column of "select * from 附加费", so 价格 stands second.
CREATE TABLE 附加费 (
    附加费名称 TEXT COLLATE NOCASE,
    价格 REAL,
    计费方式 TEXT COLLATE NOCASE,
    水价类别 TEXT COLLATE NOCASE,
    收费项目 TEXT COLLATE NOCASE
);

-- Monthly base-quantity windows; the list reads the columns by position.
CREATE TABLE 基本方调整 (
    编号 INTEGER PRIMARY KEY AUTOINCREMENT,
    抄表日起 DATE,
    抄表日止 DATE,
    用水类型 TEXT COLLATE NOCASE,
    基本方 REAL,
    收费项目 TEXT COLLATE NOCASE
);

-- Banks.
CREATE TABLE 开户银行 (
    开户银行 TEXT COLLATE NOCASE
);

-- Look-ups by household and account number: duplicate checks, imports, the bills of a household.
-- With the street beside the number, the street of a reading's household is read from the index
-- alone: the reading statistics ask it of every reading of the month.
CREATE INDEX 用户信息表_户号街道 ON 用户信息表 (户号, 居住街道);
-- With 父号 beside 户号, the household a bill's number belongs to (the meter account's 父号) is
-- read from the index alone: the reports ask it of every bill of the period.
CREATE INDEX 用户表管理_户号父号 ON 用户表管理 (户号, 父号);
-- A household's meter accounts with their state: the reading statistics count them by state,
-- street by street, from the index alone.
CREATE INDEX 用户表管理_父号状态 ON 用户表管理 (父号, 状态);
-- By household and then receipt number: a household's latest bill (the carry-over the engine
-- reads) is the last entry of its range, found without reading its older bills.
CREATE INDEX 总收费_户号收据号 ON 总收费 (户号, 收据号);
-- Only the unpaid bills, and only the bills that took from a prepayment: the counter, the engine's
-- balance rebuild and batch charging sum these per household without reading its paid history.
-- The balances sum what each household still owes and what its bills took from prepayments from
-- the first and the third alone (they hold every column those sums read, in the order of the
-- receipt numbers), and reach a household's meter accounts without reading the accounts.
CREATE INDEX 总收费_未收金额 ON 总收费 (户号, 收据号, 标志, 收费标志, 实收金额) WHERE 收费标志=1;
CREATE INDEX 总收费_预存扣款 ON 总收费 (户号) WHERE 预存扣款>0;
CREATE INDEX 总收费_预存扣款额 ON 总收费 (户号, 收据号, 标志, 预存扣款) WHERE 预存扣款<>0;
CREATE INDEX 用户表管理_父号户号 ON 用户表管理 (父号, 编号, 户号);
CREATE INDEX 总收费_收据号 ON 总收费 (收据号);
CREATE INDEX 总收费_流水号 ON 总收费 (流水号);
-- The statistics read one period of bills at a time, by day of payment or of reading, and must
-- not read the whole history to find it. Each index holds every column the charge reports read of
-- the period's bills, so a report reads the index alone and never a bill's row: by day of payment
-- the collector, the household's number, the serial and receipt, the state and the amounts; by
-- day of reading the state and the amounts.
CREATE INDEX 总收费_收费日期金额 ON 总收费 (收费日期, 标志, 收费标志, 收费人员, 户号, 流水号, 收据号,
    实收金额, 预存扣款);
CREATE INDEX 总收费_抄表日期金额 ON 总收费 (抄表日期, 标志, 收费标志, 实收金额, 预存扣款);

-- What a clerk does all day must not slow down as the register grows: the reading order of a
-- new account (count and highest 抄表序号 of a reader) and the moves within a reader's walk,
-- today's households (建档时间) and meter accounts (建表时间), and the test whether a deleted
-- household's readings still own a number (抄表管理 父号). The schema upgrade creates the same
-- indexes in older databases.
CREATE INDEX 用户表管理_抄表人员序号 ON 用户表管理 (抄表人员, 抄表序号);
CREATE INDEX 用户表管理_建表时间 ON 用户表管理 (建表时间);
CREATE INDEX 用户信息表_建档时间 ON 用户信息表 (建档时间);
-- The statistics reach a street's households through these instead of reading the whole
-- register: the households with their numbers in the order of the streets, and the households
-- (父号 '0') by street and day of registration, which the household reports count per month.
CREATE INDEX 用户信息表_街道户号 ON 用户信息表 (居住街道, 户号);
CREATE INDEX 用户信息表_父号街道建档 ON 用户信息表 (父号, 居住街道, 建档时间);
-- A bill's surcharge lines are read and deleted by its receipt number (the counter, the receipt,
-- a corrected reading); without this index each of those reads every line ever written.
CREATE INDEX 月附加费_收据号 ON 月附加费 (收据号);
-- The log query reads the days asked for, not the whole log.
CREATE INDEX 日志管理_发生时间 ON 日志管理 (发生时间);
-- The invoice recount seeks each number of an open book among the bills that carry one.
CREATE INDEX 总收费_发票号 ON 总收费 (发票号) WHERE 发票号<>'';
-- The deduction list of a period reads only the period's bills that took from a balance.
CREATE INDEX 总收费_预存扣款日期 ON 总收费 (收费日期, 标志, 户号, 收据号, 预存扣款) WHERE 预存扣款>0;
-- The look-ups by card number start from the card's household, not from every bill.
CREATE INDEX 用户信息表_磁卡号码 ON 用户信息表 (磁卡号码);
-- A street's paid bills of a period: each household's paid bills of those days, not its whole history.
CREATE INDEX 总收费_户号收费日期 ON 总收费 (户号, 收费日期) WHERE 收费标志=0;

-- How many meter accounts each reader has, kept by the triggers below: the reading order of a
-- new account and the end of a reader's walk need that count, and counting a reader who reads
-- every property-fee account would read the whole register. The triggers' updates say OR IGNORE
-- (their NOT NULL count can never fail): a trigger that might abort makes SQLite keep a statement
-- journal for every insert, delete and change of reader, and with encryption that journal costs
-- more than the row itself.
CREATE TABLE 抄表员户数 (
    抄表人员 TEXT COLLATE NOCASE PRIMARY KEY,
    户数     INTEGER NOT NULL DEFAULT 0
);
CREATE TRIGGER 用户表管理_户数_加 AFTER INSERT ON 用户表管理 WHEN NEW.抄表人员 IS NOT NULL BEGIN
    INSERT OR IGNORE INTO 抄表员户数 (抄表人员, 户数) VALUES (NEW.抄表人员, 0);
    UPDATE OR IGNORE 抄表员户数 SET 户数 = 户数 + 1 WHERE 抄表人员 = NEW.抄表人员;
END;
CREATE TRIGGER 用户表管理_户数_减 AFTER DELETE ON 用户表管理 WHEN OLD.抄表人员 IS NOT NULL BEGIN
    UPDATE OR IGNORE 抄表员户数 SET 户数 = 户数 - 1 WHERE 抄表人员 = OLD.抄表人员;
END;
CREATE TRIGGER 用户表管理_户数_换 AFTER UPDATE OF 抄表人员 ON 用户表管理 BEGIN
    UPDATE OR IGNORE 抄表员户数 SET 户数 = 户数 - 1
        WHERE OLD.抄表人员 IS NOT NULL AND 抄表人员 = OLD.抄表人员;
    INSERT OR IGNORE INTO 抄表员户数 (抄表人员, 户数)
        SELECT NEW.抄表人员, 0 WHERE NEW.抄表人员 IS NOT NULL;
    UPDATE OR IGNORE 抄表员户数 SET 户数 = 户数 + 1
        WHERE NEW.抄表人员 IS NOT NULL AND 抄表人员 = NEW.抄表人员;
END;


-- 用户表 is read by the reduction pages, the prepayment list and the charge
-- receipt but written by nothing, so it is a view over the register rather than
-- a table that would drift out of step with it. Those readers join it on 户号
-- with household numbers (reduction settings, prepayments) and with meter-account
-- numbers (reduction records of rebilled bills), and the receipt counts the
-- active meter accounts of a household through 父号 and 目前状态; hence one row
-- per household (父号 '0') followed by one row per meter account (父号 = the
-- household, 目前状态 = the account's 状态, 水价类别 and 水表编号 its own).
CREATE VIEW 用户表 AS
SELECT 户号 AS 户号,
       父号 AS 父号,
       用户名 AS 用户名,
       居住街道 AS 居住街道,
       详细地址 AS 详细地址,
       性质 AS 性质,
       物业类别 AS 水价类别,
       (CASE WHEN ifnull(移动电话, '') <> '' THEN 移动电话 ELSE 固定电话 END) COLLATE NOCASE AS 联系电话,
       '' COLLATE NOCASE AS 水表编号,
       目前状态 AS 目前状态,
       磁卡号码 AS 磁卡号码,
       '' COLLATE NOCASE AS 收费项目
  FROM 用户信息表
UNION ALL
SELECT m.户号,
       m.父号,
       h.用户名,
       h.居住街道,
       h.详细地址,
       h.性质,
       m.价格类别,
       CASE WHEN ifnull(h.移动电话, '') <> '' THEN h.移动电话 ELSE h.固定电话 END,
       m.计量编号,
       m.状态,
       h.磁卡号码,
       m.收费项目
  FROM 用户表管理 AS m
  JOIN 用户信息表 AS h ON h.户号 = m.父号;

-- Tables of meter reading, charging/prepayments and reporting.
-- Column order is significant: some readers take columns by position.
-- Text compares without regard to case; truth values are 1/0;
-- date columns are declared DATE so the SQL layer knows where a quoted text is a date.

-- ---------------------------------------------------------------------------
-- Meter reading
-- ---------------------------------------------------------------------------

-- The month's pending readings, copied into 抄表总表 by the monthly commit.
-- 实收量 is never written while a row is pending; the commit copies it along.
CREATE TABLE 抄表管理 (
    编号     INTEGER PRIMARY KEY AUTOINCREMENT,
    户号     TEXT COLLATE NOCASE,
    父号     TEXT COLLATE NOCASE,
    起方     REAL,
    止方     REAL,
    用量     REAL,
    水损     REAL,
    抄表日期 DATE,
    收费项目 TEXT COLLATE NOCASE,
    价格类别 TEXT COLLATE NOCASE,
    抄表人员 TEXT COLLATE NOCASE,
    价格     REAL,
    实收量   REAL
);
CREATE INDEX 抄表管理_户号 ON 抄表管理 (户号);
CREATE INDEX 抄表管理_父号 ON 抄表管理 (父号);

-- The reading history. The commit's copy does not name 是否收费, so its default must be 0:
-- freshly committed readings are unbilled and the billing pass finds them at once.
-- 价格 and 实收量 come last, where the 2.1 -> 2.2 upgrade appends them.
CREATE TABLE 抄表总表 (
    编号     INTEGER PRIMARY KEY AUTOINCREMENT,
    户号     TEXT COLLATE NOCASE,
    父号     TEXT COLLATE NOCASE,
    起方     REAL,
    止方     REAL,
    用量     REAL,
    水损     REAL,
    抄表日期 DATE,
    收费项目 TEXT COLLATE NOCASE,
    价格类别 TEXT COLLATE NOCASE,
    抄表人员 TEXT COLLATE NOCASE,
    是否收费 INTEGER DEFAULT 0,
    收据号   INTEGER,
    流水号   INTEGER,
    价格     REAL,
    实收量   REAL
);
-- Readings are looked up per meter and month, per household, per bill and per payment.
CREATE INDEX 抄表总表_户号日期 ON 抄表总表 (户号, 抄表日期);
CREATE INDEX 抄表总表_父号 ON 抄表总表 (父号);
CREATE INDEX 抄表总表_收据号 ON 抄表总表 (收据号);
CREATE INDEX 抄表总表_流水号 ON 抄表总表 (流水号);
-- The statistics read one reading window or month of readings at a time; the household and the
-- usage beside the day let the charge reports count and sum a period's readings from the index
-- alone.
CREATE INDEX 抄表总表_抄表日期父号 ON 抄表总表 (抄表日期, 父号, 用量);
-- The unbilled readings alone: where the month's commit finds the households to bill.
CREATE INDEX 抄表总表_未收费 ON 抄表总表 (父号) WHERE 是否收费=0;

-- Result of the last unread-meters query; emptied and refilled by every such query.
CREATE TABLE 未抄表数据 (
    抄表户号 TEXT COLLATE NOCASE,
    价格类别 TEXT COLLATE NOCASE,
    计量编号 TEXT COLLATE NOCASE,
    抄表人员 TEXT COLLATE NOCASE,
    建表时间 DATE,
    父号     TEXT COLLATE NOCASE,
    收费项目 TEXT COLLATE NOCASE,
    居住街道 TEXT COLLATE NOCASE,
    详细地址 TEXT COLLATE NOCASE
);

-- Meters billed a fixed quantity every month; at most one row per meter account.
CREATE TABLE 固定抄表 (
    编号     INTEGER PRIMARY KEY AUTOINCREMENT,
    户号     TEXT COLLATE NOCASE,
    固定用量 REAL,
    水损     REAL
);
CREATE INDEX 固定抄表_户号 ON 固定抄表 (户号);

-- Meter changes. 执行日期 is the text 'Y-M' (month unpadded) from which readings start at 换表起方.
CREATE TABLE 换表管理 (
    编号     INTEGER PRIMARY KEY AUTOINCREMENT,
    户号     TEXT COLLATE NOCASE,
    旧表编号 TEXT COLLATE NOCASE,
    新表编号 TEXT COLLATE NOCASE,
    换表起方 REAL,
    换表日期 DATE,
    执行日期 TEXT COLLATE NOCASE,
    操作人员 TEXT COLLATE NOCASE
);
CREATE INDEX 换表管理_户号 ON 换表管理 (户号);

-- Meter readers; names are kept unique by the add window, not by a key.
CREATE TABLE 抄表员 (
    抄表员 TEXT COLLATE NOCASE
);

-- Handheld device layouts. The scheme name must stay the first column (lists take it by position).
-- A new scheme is inserted without a 默认方案 value.
CREATE TABLE 抄表机_方案名称 (
    方案名称 TEXT COLLATE NOCASE,
    默认方案 TEXT COLLATE NOCASE
);

-- Fields of a handheld layout. The field editor reads "select *" by position: the first five
-- columns, then the two flags, and 编号 eighth. 编号 is the field's position in the DBF file,
-- assigned by the editor (count + 1), so it is neither a key nor unique.
CREATE TABLE 抄表机_方案 (
    字段名称     TEXT COLLATE NOCASE,
    字段类型     TEXT COLLATE NOCASE,
    字段长度     INTEGER,
    对应字段     TEXT COLLATE NOCASE,
    方案名称     TEXT COLLATE NOCASE,
    字段长度标志 TEXT COLLATE NOCASE,
    字段类型标志 TEXT COLLATE NOCASE,
    编号         INTEGER
);

-- ---------------------------------------------------------------------------
-- Charging, reductions and prepayments
-- ---------------------------------------------------------------------------

-- Batch charging: one row per match of an unpaid bill; emptied and refilled by every run.
-- No index: the run reads it back unordered and relies on insertion order.
CREATE TABLE 未收费数据 (
    户号 TEXT COLLATE NOCASE
);

-- One reduction setting per household. The two inserts each leave out one of 减免金额 and
-- 减免用量; a value that does not apply is 0.
CREATE TABLE 减免设置 (
    编号     INTEGER PRIMARY KEY AUTOINCREMENT,
    户号     TEXT COLLATE NOCASE,
    减免方式 TEXT COLLATE NOCASE,
    减免期限 TEXT COLLATE NOCASE,
    减免金额 REAL DEFAULT 0,
    减免用量 INTEGER DEFAULT 0,
    减免次数 INTEGER DEFAULT 0,
    减免类型 TEXT COLLATE NOCASE
);
CREATE INDEX 减免设置_户号 ON 减免设置 (户号);

-- Prepayments. 收据号 is assigned by the entry window (largest + 1) and never reused, since
-- void rows (标志 2) stay; the unique index turns an accidental duplicate into a failed insert
-- instead of two receipts with one number.
CREATE TABLE 预存明细 (
    收据号   INTEGER,
    户号     TEXT COLLATE NOCASE,
    预存金额 REAL,
    预存日期 DATE,
    收费人员 TEXT COLLATE NOCASE,
    发票号   TEXT COLLATE NOCASE,
    标志     INTEGER,
    抄表户号 TEXT COLLATE NOCASE
);
CREATE UNIQUE INDEX 预存明细_收据号 ON 预存明细 (收据号);
CREATE INDEX 预存明细_户号 ON 预存明细 (户号);
-- The invoice recount looks every invoice number up here.
CREATE INDEX 预存明细_发票号 ON 预存明细 (发票号);
CREATE INDEX 预存明细_预存日期 ON 预存明细 (预存日期);

-- Prepaid balances, rebuilt from 预存明细 and 总收费 whenever one is needed.
-- 编号 is the receipt number of the prepayment a row came from, and empty on the rows the
-- grouped rebuild adds itself, so it is a plain column, not a key.
CREATE TABLE 预存结余 (
    编号     INTEGER,
    户号     TEXT COLLATE NOCASE,
    预存金额 REAL,
    已扣金额 REAL,
    应扣金额 REAL,
    结余金额 REAL,
    标记     INTEGER
);
CREATE INDEX 预存结余_户号 ON 预存结余 (户号);

-- Per-household totals of the grouped rebuild. The rebuild drops and re-creates it with the same
-- columns; it ships so that a reader finds it even before the first rebuild succeeded.
CREATE TABLE 预存结余新 (
    户号     TEXT COLLATE NOCASE,
    预存金额 REAL,
    已扣金额 REAL,
    结余金额 REAL,
    应扣金额 REAL,
    标记     INTEGER
);



-- ---------------------------------------------------------------------------
-- Reporting
-- ---------------------------------------------------------------------------

-- Scratch tables of the meter-reading handbook; each print drops and re-creates them with these
-- columns. Shipped so that they exist from the start.
CREATE TABLE 抄表信息 (
    编号     INTEGER PRIMARY KEY AUTOINCREMENT,
    户号     TEXT COLLATE NOCASE,
    起方     REAL,
    用量     REAL,
    序号     INTEGER,
    欠费     REAL,
    欠费月数 INTEGER,
    父号     TEXT COLLATE NOCASE
);

CREATE TABLE 欠费信息 (
    户号 TEXT COLLATE NOCASE,
    欠费 REAL,
    月数 INTEGER
);

-- Created at run time, not shipped:
--   T_WSFCX<operator>  the arrears query drops and re-creates its own table before every read.
--   导入暂存表          the Excel import creates it from the sheet before reading it.
