-- Rows the shipped database starts with: version, system parameters, column
-- settings, permission items, the administrator, the default fee items and one
-- property-fee price category.

INSERT INTO 版本 (版本号) VALUES ('2.2');

-- No bill number given yet: the first is 1000000001.
INSERT INTO 号码计数 (名称, 最大号) VALUES ('收据号', 0);

-- System parameters. Rows are only ever updated by key, so every key the
-- program reads must be here. 值 carries the numbers, 文本 the texts.
INSERT INTO pz (项目名称, 值, 文本) VALUES ('抄表日期', 1, '');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('结算日期', 25, '');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('日结算方式', 0, '每月月底');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('结算月份', 11, '');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('月结算方式', 0, '每年12月');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('个人帐户', 0, '关闭');
-- 值 0 rounds to halves ("十分位"), any other value to whole units; 文本 '假'
-- leaves amounts at two decimals.
INSERT INTO pz (项目名称, 值, 文本) VALUES ('四舍五入', 0, '假');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('单位信息', 0, '物业服务中心');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('编码前缀', 0, '');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('用户编码位数', 4, '');
-- "1" followed by nine zeros: the first payment serial is 1000000001.
INSERT INTO pz (项目名称, 值, 文本) VALUES ('收费编码位数', 9, '');
-- Late fees: the value is kept as text in 文本, as the late-fee window writes it.
INSERT INTO pz (项目名称, 值, 文本) VALUES ('滞纳金计费', 0, '关闭');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('滞纳金计费方式', 0, '按利率');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('滞纳金值', 0, '0.5');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('滞纳金结算日期', 0, '每月最后一天');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('发票管理', 0, '关闭');
INSERT INTO pz (项目名称, 值, 文本) VALUES ('自动电损', 0, '关闭');

-- Column settings. Within a class, 排序 follows the order in which the class's
-- filler writes its cells; titles are unique within a class, and where a list
-- export is read back by an import the titles are the field names it expects.

-- Household lists (add page and query page).
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '户号', '真', 80, 1);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '用户名', '真', 80, 2);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '磁卡号码', '真', 90, 3);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '用户性质', '真', 70, 4);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '居住街道', '真', 100, 5);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '详细地址', '真', 150, 6);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '建档时间', '真', 110, 7);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '身份证号', '真', 140, 8);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '开户银行', '真', 100, 9);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '银行帐号', '真', 130, 10);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '固定电话', '真', 100, 11);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '移动电话', '真', 100, 12);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '家庭人口', '真', 80, 13);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '助记词', '真', 70, 14);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '物业类别', '真', 80, 15);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '物业面积', '真', 80, 16);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '停车费', '真', 60, 17);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户信息', '备注', '真', 120, 18);

-- Meter page. "抄表户号", "抄表人员" and "抄表序号" are the columns the
-- reading-order import reads, so an exported meter list can be imported again.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '编号', '真', 50, 1);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '户号', '真', 80, 2);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '抄表户号', '真', 90, 3);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '用户名', '真', 80, 4);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '磁卡号码', '真', 90, 5);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '居住街道', '真', 100, 6);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '详细地址', '真', 150, 7);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '建表时间', '真', 130, 8);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '收费项目', '真', 70, 9);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '价格类别', '真', 80, 10);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '计量编号', '真', 90, 11);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '开始起数', '真', 70, 12);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '倍率', '真', 50, 13);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '状态', '真', 50, 14);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '抄表人员', '真', 70, 15);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('用户表管理', '抄表序号', '真', 70, 16);

-- Committed readings of the reading-query page ("编号" first, as the version
-- 2.1 upgrade leaves it; correction and deletion find the reading by it).

-- Operation log page.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('日志管理', 'ID', '真', 60, 1);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('日志管理', '发生时间', '真', 150, 2);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('日志管理', '当前项目', '真', 100, 3);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('日志管理', '上级项目', '真', 100, 4);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('日志管理', '操作人员', '真', 80, 5);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('日志管理', '备注', '真', 360, 6);

-- Invoice page. Deletion reads the first and fourth cells, so 编号 and
-- 发票起号 stay in front.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '编号', '真', 50, 1);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '领取时间', '真', 120, 2);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '发票代码', '真', 110, 3);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '发票起号', '真', 90, 4);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '发票止号', '真', 90, 5);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '发票类型', '真', 70, 6);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '总开票金额', '真', 90, 7);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '总张数', '真', 60, 8);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '已使用', '真', 60, 9);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '作废', '真', 50, 10);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '当前发票号', '真', 90, 11);
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES ('发票管理', '收费人员', '真', 80, 12);

-- Permission groups and items. Group names are the 上级项目 and item names the
-- 当前项目 that the operation log writes, so the log query's filters find the
-- rows; ID order is the order of the permission tree.
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('用户管理', '', 1);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('用户添加', '用户管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('用户修改', '用户管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('用户删除', '用户管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('用户排序', '用户管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('用户表管理', '用户管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('批量添加', '用户管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('批量修改', '用户管理', 0);

INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('抄表管理', '', 1);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('抄表添加', '抄表管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('抄表修改', '抄表管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('抄表删除', '抄表管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('抄表入库', '抄表管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('抄表查询', '抄表管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('手动抄表', '抄表管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('固定抄表', '抄表管理', 0);

INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收费管理', '', 1);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('窗口收费', '收费管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('磁卡收费', '收费管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('批量收费', '收费管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收费修改', '收费管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收费作废', '收费管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收费查询', '收费管理', 0);

INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('预存管理', '', 1);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('预存添加', '预存管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('预存修改', '预存管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('预存作废', '预存管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('预存扣款', '预存管理', 0);

INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('减免管理', '', 1);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('减免添加', '减免管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('减免修改', '减免管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('减免删除', '减免管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('减免查询', '减免管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('减免明细', '减免管理', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('执行减免', '减免管理', 0);

INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('数据报表', '', 1);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收费日报表', '数据报表', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收费月报表', '数据报表', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收费年报表', '数据报表', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('用户月报表', '数据报表', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('用户年报表', '数据报表', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('抄表月报表', '数据报表', 0);

INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('基本设置', '', 1);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('居住街道设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收费项目设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('价格类别设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('阶梯价格设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('附加费设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('单月收费设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('开户银行设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('系统参数设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('抄表人员设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('换表管理', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('滞纳金设置', '基本设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('打印参数设置', '基本设置', 0);

INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('打印设置', '', 1);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('发票设置', '打印设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('收据重打', '打印设置', 0);
INSERT INTO 权限项目 (项目名称, 父项目, 首项) VALUES ('流水号重打', '打印设置', 0);

-- The administrator; the password is the login window's initial password 12345
-- (the 密码 column holds its lowercase hexadecimal MD5 digest).
INSERT INTO 收费员 (收费人员, 密码, 许可) VALUES ('管理员', '827ccb0eea8a706c4c34a16891f84e7b', 1);

-- The system's fee items, which cannot be deleted. Tiers are off because no
-- tier rows ship: tiered pricing without tiers would bill nothing.
INSERT INTO 收费项目 (项目名称, 计费模式, 收零用量, 阶梯收费, 自动损耗, 损耗位数)
    VALUES ('物业', '实际用量模式', '关闭', '关闭', '关闭', '个位');
INSERT INTO 收费项目 (项目名称, 计费模式, 收零用量, 阶梯收费, 自动损耗, 损耗位数)
    VALUES ('电费', '实际用量模式', '关闭', '关闭', '关闭', '个位');
INSERT INTO 收费项目 (项目名称, 计费模式, 收零用量, 阶梯收费, 自动损耗, 损耗位数)
    VALUES ('水费', '实际用量模式', '关闭', '关闭', '关闭', '个位');

-- A property-fee category, required by the household form: a household can be
-- added as soon as the program is installed.
INSERT INTO 水价类别 (编号, 水价类别, 收费项目, 价格, 基本方, 电损率)
    VALUES (1, '住宅', '物业', 1.2, 0, 0);

-- Shipped rows of meter reading, charging/prepayments and reporting.

-- The reserved reader of the property-fee meter accounts; it cannot be deleted.
INSERT INTO 抄表员 (抄表员) VALUES ('系统');

-- Column settings of the list pages. Within a class the rows name, in 排序 order, the fields
-- in the order in which the page's filler writes its cells; titles are unique within a class.
-- Every class is inserted in 排序 order, because some pages read their rows without a sort clause.

-- Monthly reading page (fill_monthly_reading_list): 户号, 用户名, 居住街道, 收费项目, 价格类别, 起方, 止方, 用量, 水损,
-- 抄表人员, 抄表日期. The page's handlers find 户号, 收费项目, 价格类别 and 抄表人员 by these titles; the delete action
-- takes the meter number from the first column.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('月抄表', '户号', '真', 90, 1),
    ('月抄表', '用户姓名', '真', 80, 2),
    ('月抄表', '居住街道', '真', 100, 3),
    ('月抄表', '收费项目', '真', 70, 4),
    ('月抄表', '价格类别', '真', 80, 5),
    ('月抄表', '起数', '真', 70, 6),
    ('月抄表', '止数', '真', 70, 7),
    ('月抄表', '用量', '真', 70, 8),
    ('月抄表', '损耗', '真', 60, 9),
    ('月抄表', '抄表人员', '真', 70, 10),
    ('月抄表', '抄表日期', '真', 120, 11);

-- Reading query, read readings (fill_reading_query_list kind 1): 编号, 收费项目, 父号, 户号, 用户名, 计量编号,
-- 建表时间, 价格类别, 居住街道, 详细地址, 起方, 止方, 用量, 水损, 抄表人员, 抄表日期. Correction and deletion find the reading by
-- the title 编号.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('已抄表查询', '编号', '真', 100, 1),
    ('已抄表查询', '收费项目', '真', 70, 2),
    ('已抄表查询', '用户户号', '真', 80, 3),
    ('已抄表查询', '抄表户号', '真', 90, 4),
    ('已抄表查询', '用户姓名', '真', 80, 5),
    ('已抄表查询', '计量编号', '真', 80, 6),
    ('已抄表查询', '建表时间', '真', 120, 7),
    ('已抄表查询', '价格类别', '真', 80, 8),
    ('已抄表查询', '居住街道', '真', 100, 9),
    ('已抄表查询', '详细地址', '真', 120, 10),
    ('已抄表查询', '起数', '真', 70, 11),
    ('已抄表查询', '止数', '真', 70, 12),
    ('已抄表查询', '用量', '真', 70, 13),
    ('已抄表查询', '损耗', '真', 60, 14),
    ('已抄表查询', '抄表人员', '真', 70, 15),
    ('已抄表查询', '抄表日期', '真', 120, 16);

-- Reading query, unread meters (fill_reading_query_list kind 2): 父号, 抄表户号, 用户名, 居住街道, 详细地址, 建表时间,
-- 收费项目, 价格类别, 固定电话, 移动电话, 计量编号, 抄表人员.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('未抄表查询', '用户户号', '真', 80, 1),
    ('未抄表查询', '抄表户号', '真', 90, 2),
    ('未抄表查询', '用户姓名', '真', 80, 3),
    ('未抄表查询', '居住街道', '真', 100, 4),
    ('未抄表查询', '详细地址', '真', 120, 5),
    ('未抄表查询', '建表时间', '真', 120, 6),
    ('未抄表查询', '收费项目', '真', 70, 7),
    ('未抄表查询', '价格类别', '真', 80, 8),
    ('未抄表查询', '固定电话', '真', 100, 9),
    ('未抄表查询', '移动电话', '真', 100, 10),
    ('未抄表查询', '计量编号', '真', 80, 11),
    ('未抄表查询', '抄表人员', '真', 70, 12);

-- Meter changes (fill_meter_change_list): 编号, 户号, 用户名, 居住街道, 详细地址, 换表日期, 旧表编号, 新表编号, 换表起方, 执行日期,
-- 操作人员. Modify and delete find the change by the title 编号.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('换表管理', '编号', '真', 60, 1),
    ('换表管理', '抄表户号', '真', 90, 2),
    ('换表管理', '用户姓名', '真', 80, 3),
    ('换表管理', '居住街道', '真', 100, 4),
    ('换表管理', '详细地址', '真', 120, 5),
    ('换表管理', '换表日期', '真', 120, 6),
    ('换表管理', '旧表编号', '真', 80, 7),
    ('换表管理', '新表编号', '真', 80, 8),
    ('换表管理', '换表起数', '真', 70, 9),
    ('换表管理', '执行日期', '真', 120, 10),
    ('换表管理', '操作人员', '真', 70, 11);

-- Handheld export list (fill_handheld_list): 户号, 用户名, 收费项目, 价格类别, 居住街道+详细地址, 计量编号, last reading,
-- last usage, 倍率. The DBF export reads these cells by position.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('抄表机', '抄表户号', '真', 90, 1),
    ('抄表机', '用户姓名', '真', 80, 2),
    ('抄表机', '收费项目', '真', 70, 3),
    ('抄表机', '价格类别', '真', 80, 4),
    ('抄表机', '居住地址', '真', 120, 5),
    ('抄表机', '计量编号', '真', 80, 6),
    ('抄表机', '上月度数', '真', 70, 7),
    ('抄表机', '上月用量', '真', 70, 8),
    ('抄表机', '倍率', '真', 60, 9);

-- Charge query, paid form (fill_paid_charge_list): 户号, 用户名, 居住街道, 实收金额, 预存扣款, 实收金额+预存扣款, 收费日期,
-- 流水号, 抄表人员, 收费人员, 收费项目, 发票号. Void, edit and reprint find the serial by the title 系统流水.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('收费查询', '户号', '真', 80, 1),
    ('收费查询', '用户姓名', '真', 80, 2),
    ('收费查询', '居住街道', '真', 100, 3),
    ('收费查询', '实收金额', '真', 80, 4),
    ('收费查询', '预存扣款', '真', 80, 5),
    ('收费查询', '合计金额', '真', 80, 6),
    ('收费查询', '收费日期', '真', 120, 7),
    ('收费查询', '系统流水', '真', 100, 8),
    ('收费查询', '抄表人员', '真', 70, 9),
    ('收费查询', '收费人员', '真', 70, 10),
    ('收费查询', '收费项目', '真', 70, 11),
    ('收费查询', '发票号', '真', 80, 12);

-- Charge query, arrears form (fill_unpaid_charge_list): 户号, 用户名, 居住街道, 详细地址, 固定电话, 移动电话, 起数, 止数,
-- 用量, 价格, 欠费金额, 预存扣款, 抄表人员, 抄表日期, 收费项目, 价格类别. No column is titled 系统流水, so void and edit refuse
-- this form.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('未收费查询', '户号', '真', 80, 1),
    ('未收费查询', '用户姓名', '真', 80, 2),
    ('未收费查询', '居住街道', '真', 100, 3),
    ('未收费查询', '详细地址', '真', 120, 4),
    ('未收费查询', '固定电话', '真', 100, 5),
    ('未收费查询', '移动电话', '真', 100, 6),
    ('未收费查询', '起数', '真', 70, 7),
    ('未收费查询', '止数', '真', 70, 8),
    ('未收费查询', '用量', '真', 70, 9),
    ('未收费查询', '价格', '真', 70, 10),
    ('未收费查询', '欠费金额', '真', 80, 11),
    ('未收费查询', '预存扣款', '真', 80, 12),
    ('未收费查询', '抄表人员', '真', 70, 13),
    ('未收费查询', '抄表日期', '真', 120, 14),
    ('未收费查询', '收费项目', '真', 70, 15),
    ('未收费查询', '价格类别', '真', 80, 16);

-- Reductions, settings form (fill_reduction_settings_list): 户号, 用户名, 居住街道, 详细地址, 减免方式, 减免期限, 减免金额,
-- 减免次数, 减免用量, 减免类型. Edit and delete find the household by the title 户号.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('减免设置', '户号', '真', 80, 1),
    ('减免设置', '用户姓名', '真', 80, 2),
    ('减免设置', '居住街道', '真', 100, 3),
    ('减免设置', '详细地址', '真', 120, 4),
    ('减免设置', '减免方式', '真', 70, 5),
    ('减免设置', '减免期限', '真', 70, 6),
    ('减免设置', '减免金额', '真', 70, 7),
    ('减免设置', '减免次数', '真', 70, 8),
    ('减免设置', '减免用量', '真', 70, 9),
    ('减免设置', '减免类型', '真', 70, 10);

-- Reductions, details form (fill_reduction_details_list): 编号, 户号, 用户名, 居住街道, 详细地址, 减免金额, 减免用量,
-- 抄表ID, 减免日期, 减免类型. Delete finds the record by the title 编号.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('减免明细', '编号', '真', 60, 1),
    ('减免明细', '户号', '真', 80, 2),
    ('减免明细', '用户姓名', '真', 80, 3),
    ('减免明细', '居住街道', '真', 100, 4),
    ('减免明细', '详细地址', '真', 120, 5),
    ('减免明细', '减免金额', '真', 70, 6),
    ('减免明细', '减免用量', '真', 70, 7),
    ('减免明细', '抄表ID', '真', 120, 8),
    ('减免明细', '减免日期', '真', 120, 9),
    ('减免明细', '减免类型', '真', 70, 10);

-- Prepayments (fill_prepayment_list): 收据号, 户号, 用户名, 磁卡号码, 居住街道, 详细地址, 固定电话, 移动电话, 预存金额, 预存日期,
-- 收费人员, 发票号, status. The row actions find the receipt by the title 收据号. The page's navigation
-- entry reads these rows without a sort clause, so they are inserted in 排序 order.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('预存明细', '收据号', '真', 100, 1),
    ('预存明细', '户号', '真', 80, 2),
    ('预存明细', '用户姓名', '真', 80, 3),
    ('预存明细', '磁卡号码', '真', 90, 4),
    ('预存明细', '居住街道', '真', 100, 5),
    ('预存明细', '详细地址', '真', 120, 6),
    ('预存明细', '固定电话', '真', 100, 7),
    ('预存明细', '移动电话', '真', 100, 8),
    ('预存明细', '预存金额', '真', 80, 9),
    ('预存明细', '预存日期', '真', 120, 10),
    ('预存明细', '收费人员', '真', 70, 11),
    ('预存明细', '发票号', '真', 80, 12),
    ('预存明细', '发票状态', '真', 70, 13);

-- Prepaid balances (fill_prepay_balance_list): 户号, 用户名, 磁卡号码, 居住街道, 详细地址, 固定电话, 移动电话, 预存金额, 已扣金额,
-- 结余金额, 应扣金额, 结余-应扣; titles as the window design gives them. The page's navigation entry reads
-- these rows without a sort clause, so they are inserted in 排序 order.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('预存扣款', '户号', '真', 80, 1),
    ('预存扣款', '用户姓名', '真', 80, 2),
    ('预存扣款', '磁卡号码', '真', 90, 3),
    ('预存扣款', '居住街道', '真', 100, 4),
    ('预存扣款', '详细地址', '真', 120, 5),
    ('预存扣款', '固定电话', '真', 100, 6),
    ('预存扣款', '移动电话', '真', 100, 7),
    ('预存扣款', '预存合计', '真', 80, 8),
    ('预存扣款', '已扣金额', '真', 80, 9),
    ('预存扣款', '预存结余', '真', 80, 10),
    ('预存扣款', '当前应扣', '真', 80, 11),
    ('预存扣款', '预计结余', '真', 80, 12);

-- Deductions from prepaid balances (fill_deduction_list): 户号, 用户名, 居住街道, 详细地址, 预存扣款, 收费日期.
INSERT INTO 查询列 (类名, 列名, 显示, 列宽, 排序) VALUES
    ('扣款明细', '户号', '真', 80, 1),
    ('扣款明细', '用户姓名', '真', 80, 2),
    ('扣款明细', '居住街道', '真', 100, 3),
    ('扣款明细', '详细地址', '真', 120, 4),
    ('扣款明细', '扣款金额', '真', 80, 5),
    ('扣款明细', '扣款日期', '真', 120, 6);
