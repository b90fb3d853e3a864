#pragma once
// Layouts of the handheld reader's DBF file. A scheme (抄表机_方案名称) is a named layout; its
// fields (抄表机_方案) give, in 编号 order, the DBF field name, type, width and the data item of
// a meter the field carries. The scheme marked 默认方案 '是' is the current one, with which the
// export writes and the import reads the device's files.
#include <QString>
#include <QStringList>
#include <vector>

namespace platform {
struct Connection;
}

namespace reading {

inline const QString kSchemeTable = QStringLiteral("抄表机_方案名称");
inline const QString kSchemeFieldTable = QStringLiteral("抄表机_方案");

// The scheme the export and the import use; empty until load_default_handheld_scheme finds one.
extern QString current_handheld_scheme;
// 编号 of the field being modified in the scheme window (and of the last one added).
extern int handheld_field_number;

// The type names in the order of the type combo.
const QStringList& handheld_field_types();
// The 13 data items in the order of their pick list.
const QStringList& handheld_data_items();

// 字段类型, 字段类型标志 and 字段长度标志 for the type combo's position (-1: none selected).
struct FieldTypeFlags {
    QString type_name;
    QString type_flag;
    QString width_flag;
};
FieldTypeFlags field_type_flags(int type_position, const QString& width_text);

// One row of 抄表机_方案.
struct SchemeField {
    QString name;       // 字段名称
    QString type_name;  // 字段类型
    int width = 0;      // 字段长度
    QString item;       // 对应字段
    QString scheme;     // 方案名称
    QString width_flag;
    QString type_flag;
    int number = 0;  // 编号
};

// The fields of a scheme in 编号 order (the export's order).
std::vector<SchemeField> scheme_fields(platform::Connection& connection, const QString& scheme);
// The fields in table order (the editor's list).
std::vector<SchemeField> scheme_fields_in_table_order(platform::Connection& connection,
                                                      const QString& scheme);
QStringList scheme_names(platform::Connection& connection);

// The single default scheme, else the single scheme, becomes current; with no scheme it
// becomes empty; several schemes and no single default keep the current one.
void load_default_handheld_scheme(platform::Connection& connection);

// What an editor action did, and what to say.
struct SchemeOutcome {
    bool ok = false;
    QString message;  // empty: say nothing
    enum class Focus { None, SchemeCombo, FieldName, Width } focus = Focus::None;
};

SchemeOutcome add_handheld_scheme(platform::Connection& connection, const QString& typed_name);
SchemeOutcome set_default_handheld_scheme(platform::Connection& connection,
                                          const QString& scheme);
// Refused while the scheme has fields; `confirmed` is the answer to the question.
bool scheme_has_fields(platform::Connection& connection, const QString& scheme);
SchemeOutcome delete_handheld_scheme(platform::Connection& connection, const QString& scheme);

struct FieldForm {
    QString scheme;
    QString name;
    int type_position = -1;
    QString width_text;
    QString item;
};
// Adds a field (modify = false) or saves the field handheld_field_number (modify = true).
SchemeOutcome save_handheld_field(platform::Connection& connection, const FieldForm& form,
                                  bool modify);
SchemeOutcome delete_handheld_field(platform::Connection& connection, const QString& scheme,
                                    const QString& name);

}  // namespace reading
