#pragma once
// The receipt template: what the report engine paints and the designer edits. Templates are
// files under grf/ in a JSON format of our own (described in data/templates/README.md):
//
//   { "format": "feeoffice-report", "version": 1,
//     "page": { "width": 210, "height": 148, "left": 8, "top": 8, "right": 8, "bottom": 8 },
//     "font": { "name": "宋体", "size": 10, "bold": false },
//     "bands": [
//       { "kind": "header", "height": 46, "items": [ item, ... ] },
//       { "kind": "detail", "header_height": 6, "row_height": 5.5, "font": {...},
//         "columns": [ { "title": "起数", "field": "起数", "width": 18, "format": "",
//                        "align": "right" }, ... ] },
//       { "kind": "footer", "height": 40, "items": [ item, ... ] } ] }
//
//   item: { "kind": "text" | "field" | "picture", "name": "...", "x": 0, "y": 0, "w": 40,
//           "h": 6, "text": "...", "field": "实收金额", "format": "0.00",
//           "align": "left" | "center" | "right", "border": false, "font": {...},
//           "picture": "<base64 PNG>" }
//
// Lengths are millimetres; an item's place is relative to the top left corner of its band
// inside the page margins. Bands stack from the top: the header band, the detail table (its
// column header, then one row per detail record), the footer band. A field item shows the
// named column of the report's first record, a detail column the column of each detail
// record. format: "" shows the value as stored, "0" a whole number, "0.00" / "0.0000" that
// many decimals; an empty (NULL) value shows nothing whatever the format.
//
// Loading checks everything: a file that is not this format, or has a negative or absurd
// length, an unknown kind, a field item without a field, or a picture that is not base64, is
// refused as a whole, so a damaged file never paints half a receipt.
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace reports {

struct TemplateFont {
    QString name = QStringLiteral("宋体");
    double size = 10;  // points
    bool bold = false;
    bool operator==(const TemplateFont&) const = default;
};

enum class ItemKind { Text, Field, Picture };
enum class ItemAlign { Left, Center, Right };

struct TemplateItem {
    ItemKind kind = ItemKind::Text;
    QString name;  // the designer's label for it; may be empty
    double x = 0, y = 0, w = 30, h = 6;
    QString text;    // Text: what it shows
    QString field;   // Field: the column of the first record
    QString format;  // Field: see above
    ItemAlign align = ItemAlign::Left;
    bool border = false;
    TemplateFont font;
    QByteArray picture;  // Picture: image file bytes (PNG, JPEG)
    bool operator==(const TemplateItem&) const = default;
};

struct TemplateColumn {
    QString title;
    QString field;
    double width = 20;
    QString format;
    ItemAlign align = ItemAlign::Left;
    bool operator==(const TemplateColumn&) const = default;
};

struct TemplateBand {
    double height = 20;
    std::vector<TemplateItem> items;
    bool operator==(const TemplateBand&) const = default;
};

struct TemplateDetail {
    double header_height = 6;
    double row_height = 5.5;
    TemplateFont font;
    std::vector<TemplateColumn> columns;
    bool operator==(const TemplateDetail&) const = default;
};

struct TemplatePage {
    double width = 210, height = 148;
    double left = 8, top = 8, right = 8, bottom = 8;
    bool operator==(const TemplatePage&) const = default;
};

struct ReportTemplate {
    TemplatePage page;
    TemplateFont font;
    TemplateBand header;
    std::optional<TemplateDetail> detail;  // none: the report has no detail grid
    TemplateBand footer;
    bool operator==(const ReportTemplate&) const = default;
};

// The format marker and version every template file carries.
inline const QString kTemplateFormat = QStringLiteral("feeoffice-report");
inline constexpr int kTemplateVersion = 1;

// JSON text of a template (UTF-8, indented).
QByteArray template_to_json(const ReportTemplate& report);
// Reads a template; nullopt (and the reason in *error) for anything that is not a whole,
// sound template.
std::optional<ReportTemplate> template_from_json(const QByteArray& json, QString* error = nullptr);

// Whole-file forms. Saving writes beside the target and renames it over, so a failed save
// leaves the old template as it was.
std::optional<ReportTemplate> load_template_file(const QString& path, QString* error = nullptr);
bool save_template_file(const ReportTemplate& report, const QString& path);

// The text a value shows under a format ("" as stored, "0", "0.00", ...). `is_null` values
// show nothing.
QString format_template_value(const QString& stored_text, double number, bool is_null,
                              const QString& format);

}  // namespace reports
