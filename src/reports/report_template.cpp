#include "reports/report_template.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>

#include "platform/convert.h"
#include "platform/files.h"

namespace reports {

namespace {

// Nothing on a receipt is larger than a metre; anything beyond is a damaged file.
constexpr double kMaxLength = 1000.0;

struct Reader {
    QString error;

    bool fail(const QString& why) {
        if (error.isEmpty()) error = why;
        return false;
    }

    // A length in millimetres: a finite number from `min` to kMaxLength.
    bool length(const QJsonObject& o, const char* key, double* out, double min = 0,
                bool required = true) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return required ? fail(QStringLiteral("缺少 %1").arg(key)) : true;
        if (!v.isDouble()) return fail(QStringLiteral("%1 不是数值").arg(key));
        const double d = v.toDouble();
        if (!std::isfinite(d) || d < min || d > kMaxLength)
            return fail(QStringLiteral("%1 超出范围").arg(key));
        *out = d;
        return true;
    }

    bool text(const QJsonObject& o, const char* key, QString* out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return true;
        if (!v.isString()) return fail(QStringLiteral("%1 不是文本").arg(key));
        *out = v.toString();
        return true;
    }

    bool flag(const QJsonObject& o, const char* key, bool* out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return true;
        if (!v.isBool()) return fail(QStringLiteral("%1 不是真假值").arg(key));
        *out = v.toBool();
        return true;
    }

    bool format(const QJsonObject& o, QString* out) {
        if (!text(o, "format", out)) return false;
        static const QStringList known = {QString(),
                                          QStringLiteral("0"),
                                          QStringLiteral("0.0"),
                                          QStringLiteral("0.00"),
                                          QStringLiteral("0.000"),
                                          QStringLiteral("0.0000")};
        return known.contains(*out) ? true : fail(QStringLiteral("未知格式 %1").arg(*out));
    }

    bool align(const QJsonObject& o, ItemAlign* out) {
        QString a;
        if (!text(o, "align", &a)) return false;
        if (a.isEmpty() || a == QLatin1String("left"))
            *out = ItemAlign::Left;
        else if (a == QLatin1String("center"))
            *out = ItemAlign::Center;
        else if (a == QLatin1String("right"))
            *out = ItemAlign::Right;
        else
            return fail(QStringLiteral("未知对齐 %1").arg(a));
        return true;
    }

    bool font(const QJsonObject& o, const char* key, TemplateFont* out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return true;
        if (!v.isObject()) return fail(QStringLiteral("%1 不是字体").arg(key));
        const QJsonObject f = v.toObject();
        if (!text(f, "name", &out->name) || !flag(f, "bold", &out->bold)) return false;
        if (!length(f, "size", &out->size, 1, false)) return false;
        if (out->size > 200) return fail(QStringLiteral("字号超出范围"));
        return true;
    }

    bool item(const QJsonObject& o, TemplateItem* out) {
        QString kind;
        if (!text(o, "kind", &kind)) return false;
        if (kind == QLatin1String("text"))
            out->kind = ItemKind::Text;
        else if (kind == QLatin1String("field"))
            out->kind = ItemKind::Field;
        else if (kind == QLatin1String("picture"))
            out->kind = ItemKind::Picture;
        else
            return fail(QStringLiteral("未知项目类型 %1").arg(kind));
        if (!text(o, "name", &out->name) || !length(o, "x", &out->x) || !length(o, "y", &out->y) ||
            !length(o, "w", &out->w, 0.1) || !length(o, "h", &out->h, 0.1) ||
            !text(o, "text", &out->text) || !text(o, "field", &out->field) ||
            !format(o, &out->format) || !align(o, &out->align) ||
            !flag(o, "border", &out->border) || !font(o, "font", &out->font))
            return false;
        if (out->kind == ItemKind::Field && out->field.trimmed().isEmpty())
            return fail(QStringLiteral("字段项目没有字段"));
        if (out->kind == ItemKind::Picture) {
            QString data;
            if (!text(o, "picture", &data)) return false;
            const auto decoded = QByteArray::fromBase64Encoding(
                data.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded || data.isEmpty()) return fail(QStringLiteral("图片数据损坏"));
            out->picture = *decoded;
        }
        return true;
    }

    bool band(const QJsonObject& o, TemplateBand* out) {
        if (!length(o, "height", &out->height)) return false;
        const QJsonValue items = o.value(QLatin1String("items"));
        if (items.isUndefined()) return true;
        if (!items.isArray()) return fail(QStringLiteral("items 不是列表"));
        for (const QJsonValue& v : items.toArray()) {
            if (!v.isObject()) return fail(QStringLiteral("项目不是对象"));
            TemplateItem it;
            if (!item(v.toObject(), &it)) return false;
            out->items.push_back(std::move(it));
        }
        return true;
    }

    bool detail(const QJsonObject& o, TemplateDetail* out) {
        if (!length(o, "header_height", &out->header_height) ||
            !length(o, "row_height", &out->row_height, 1) || !font(o, "font", &out->font))
            return false;
        const QJsonValue columns = o.value(QLatin1String("columns"));
        if (!columns.isArray() || columns.toArray().isEmpty())
            return fail(QStringLiteral("明细表没有列"));
        for (const QJsonValue& v : columns.toArray()) {
            if (!v.isObject()) return fail(QStringLiteral("列不是对象"));
            const QJsonObject c = v.toObject();
            TemplateColumn col;
            if (!text(c, "title", &col.title) || !text(c, "field", &col.field) ||
                !length(c, "width", &col.width, 1) || !format(c, &col.format) ||
                !align(c, &col.align))
                return false;
            if (col.field.trimmed().isEmpty()) return fail(QStringLiteral("列没有字段"));
            out->columns.push_back(std::move(col));
        }
        return true;
    }
};

QJsonObject font_json(const TemplateFont& f) {
    return QJsonObject{{"name", f.name}, {"size", f.size}, {"bold", f.bold}};
}

QString align_text(ItemAlign a) {
    switch (a) {
        case ItemAlign::Center:
            return QStringLiteral("center");
        case ItemAlign::Right:
            return QStringLiteral("right");
        case ItemAlign::Left:
            break;
    }
    return QStringLiteral("left");
}

QJsonObject item_json(const TemplateItem& it) {
    QJsonObject o;
    o["kind"] = it.kind == ItemKind::Text    ? QStringLiteral("text")
                : it.kind == ItemKind::Field ? QStringLiteral("field")
                                             : QStringLiteral("picture");
    if (!it.name.isEmpty()) o["name"] = it.name;
    o["x"] = it.x;
    o["y"] = it.y;
    o["w"] = it.w;
    o["h"] = it.h;
    if (!it.text.isEmpty()) o["text"] = it.text;
    if (!it.field.isEmpty()) o["field"] = it.field;
    if (!it.format.isEmpty()) o["format"] = it.format;
    o["align"] = align_text(it.align);
    if (it.border) o["border"] = true;
    o["font"] = font_json(it.font);
    if (it.kind == ItemKind::Picture) o["picture"] = QString::fromLatin1(it.picture.toBase64());
    return o;
}

QJsonObject band_json(const char* kind, const TemplateBand& band) {
    QJsonArray items;
    for (const TemplateItem& it : band.items) items.append(item_json(it));
    return QJsonObject{{"kind", QLatin1String(kind)}, {"height", band.height}, {"items", items}};
}

}  // namespace

QByteArray template_to_json(const ReportTemplate& report) {
    QJsonObject root;
    root["format"] = kTemplateFormat;
    root["version"] = kTemplateVersion;
    root["page"] = QJsonObject{{"width", report.page.width}, {"height", report.page.height},
                               {"left", report.page.left},   {"top", report.page.top},
                               {"right", report.page.right}, {"bottom", report.page.bottom}};
    root["font"] = font_json(report.font);
    QJsonArray bands;
    bands.append(band_json("header", report.header));
    if (report.detail) {
        const TemplateDetail& d = *report.detail;
        QJsonArray columns;
        for (const TemplateColumn& c : d.columns) {
            QJsonObject o{{"title", c.title},
                          {"field", c.field},
                          {"width", c.width},
                          {"align", align_text(c.align)}};
            if (!c.format.isEmpty()) o["format"] = c.format;
            columns.append(o);
        }
        bands.append(QJsonObject{{"kind", "detail"},
                                 {"header_height", d.header_height},
                                 {"row_height", d.row_height},
                                 {"font", font_json(d.font)},
                                 {"columns", columns}});
    }
    bands.append(band_json("footer", report.footer));
    root["bands"] = bands;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<ReportTemplate> template_from_json(const QByteArray& json, QString* error) {
    Reader r;
    ReportTemplate out;
    const auto refuse = [&](const QString& why) -> std::optional<ReportTemplate> {
        if (error) *error = r.error.isEmpty() ? why : r.error;
        return std::nullopt;
    };
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject())
        return refuse(QStringLiteral("不是报表模板文件"));
    const QJsonObject root = doc.object();
    if (root.value("format").toString() != kTemplateFormat)
        return refuse(QStringLiteral("不是报表模板文件"));
    if (root.value("version").toInt(-1) != kTemplateVersion)
        return refuse(QStringLiteral("模板版本不符"));
    const QJsonObject page = root.value("page").toObject();
    if (!r.length(page, "width", &out.page.width, 20) ||
        !r.length(page, "height", &out.page.height, 20) ||
        !r.length(page, "left", &out.page.left) || !r.length(page, "top", &out.page.top) ||
        !r.length(page, "right", &out.page.right) || !r.length(page, "bottom", &out.page.bottom))
        return refuse({});
    if (out.page.left + out.page.right >= out.page.width ||
        out.page.top + out.page.bottom >= out.page.height)
        return refuse(QStringLiteral("页边距超出纸张"));
    if (!r.font(root, "font", &out.font)) return refuse({});
    const QJsonValue bands = root.value("bands");
    if (!bands.isArray()) return refuse(QStringLiteral("没有 bands"));
    bool seen_header = false, seen_footer = false;
    for (const QJsonValue& v : bands.toArray()) {
        const QJsonObject b = v.toObject();
        const QString kind = b.value("kind").toString();
        if (kind == QLatin1String("header") && !seen_header) {
            seen_header = true;
            if (!r.band(b, &out.header)) return refuse({});
        } else if (kind == QLatin1String("footer") && !seen_footer) {
            seen_footer = true;
            if (!r.band(b, &out.footer)) return refuse({});
        } else if (kind == QLatin1String("detail") && !out.detail) {
            TemplateDetail d;
            if (!r.detail(b, &d)) return refuse({});
            out.detail = std::move(d);
        } else {
            return refuse(QStringLiteral("未知或重复的区域 %1").arg(kind));
        }
    }
    if (!seen_header && !seen_footer && !out.detail) return refuse(QStringLiteral("模板是空的"));
    return out;
}

std::optional<ReportTemplate> load_template_file(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("文件不能打开");
        return std::nullopt;
    }
    // A template is a few kilobytes; pictures make it larger, but never this large.
    if (file.size() > 64 * 1024 * 1024) {
        if (error) *error = QStringLiteral("文件过大");
        return std::nullopt;
    }
    return template_from_json(file.readAll(), error);
}

bool save_template_file(const ReportTemplate& report, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = template_to_json(report);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return platform::commit_whole_file(file);
}

QString format_template_value(const QString& stored_text, double number, bool is_null,
                              const QString& format) {
    if (is_null) return QString();
    if (format.isEmpty()) return stored_text;
    const int point = format.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : static_cast<int>(format.size() - point - 1);
    return platform::format_number(number, decimals);
}

}  // namespace reports
