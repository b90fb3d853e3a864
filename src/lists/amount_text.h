#pragma once
// Amounts in Chinese capital characters, as receipts print them next to the figures
// (105.5 -> 壹佰零伍元伍角整), and two small helpers that split a file path.
#include <QString>

// The capital text of an amount given in decimal figures ("1234.5", "-3", "100"), which is how
// receipts hand it over. Money mode (every caller): yuan, jiao and fen, 整 when there is no fen.
// Numeral mode: the number read out digit group by digit group, decimals after 点.
// formal_digits picks 零壹贰叁 / 拾佰仟 over 零一二三 / 十百千.
// Two or more points give "你输入的数值有问题,小数点过多"; more than 16 integer digits give
// "溢出"; text that is no number reads as the number it starts with, or 0 (零).
QString amount_in_words(const QString& amount_text, bool money_mode = true,
                        bool formal_digits = true);

// The money text of a number, rounded half up to the fen: 1.05 -> 壹元零伍分,
// 1000010 -> 壹佰万零壹拾元整, -3 -> 负叁元整, anything below half a fen -> 零.
// Beyond 999,999,999,999,999 fen (and infinity) gives "溢出".
QString amount_to_chinese_money_text(double amount, bool formal_digits = true);

// The path up to and including its last separator ("D:\data\x.dbf" -> "D:\data\",
// "/home/a/x.dbf" -> "/home/a/"); empty when there is none. Both '\' and '/' separate.
QString path_directory_part(const QString& path);
// The part after the last separator; the whole path when there is none.
QString path_file_name_part(const QString& path);
