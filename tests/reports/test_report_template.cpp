// Templates: the shipped ones load, a template saved and loaded again is the same model, and a
// damaged file is refused as a whole.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>

#include "harness/file_helpers.h"
#include "harness/fixture.h"
#include "reports/report_engine.h"
#include "reports/report_template.h"

namespace {

using namespace reports;

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

QString shipped(const char* tail) { return harness::shipped_program_folder() + "/" + s(tail); }

ReportTemplate every_kind_of_item() {
    ReportTemplate t;
    t.page = {148, 210, 5, 6, 7, 8};
    t.font = {s("黑体"), 11, true};
    TemplateItem text;
    text.text = s("收费收据 {单位信息}");
    text.align = ItemAlign::Center;
    text.border = true;
    TemplateItem field;
    field.kind = ItemKind::Field;
    field.field = s("实收金额");
    field.format = "0.00";
    field.x = 12.5;
    field.y = 3.25;
    field.align = ItemAlign::Right;
    TemplateItem picture;
    picture.kind = ItemKind::Picture;
    picture.picture = QByteArray("\x89PNG\r\n\x1a\n\0\xff", 10);
    t.header = {30, {text, field}};
    t.detail = TemplateDetail{5,
                              4.5,
                              {s("宋体"), 8, false},
                              {{s("起数"), s("起数"), 18, "", ItemAlign::Left},
                               {s("金额"), s("金额"), 22, "0.0000", ItemAlign::Right}}};
    t.footer = {12, {picture}};
    return t;
}

TEST(ReportTemplate, SavedAndLoadedAgainGivesAnEqualModel) {
    QTemporaryDir dir;
    const ReportTemplate original = every_kind_of_item();
    ASSERT_TRUE(save_template_file(original, dir.filePath("t.grf")));
    const auto loaded = load_template_file(dir.filePath("t.grf"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, original);

    // Without a detail table the report has no detail grid.
    ReportTemplate plain = original;
    plain.detail.reset();
    const auto reread = template_from_json(template_to_json(plain));
    ASSERT_TRUE(reread);
    EXPECT_FALSE(reread->detail);
    EXPECT_EQ(*reread, plain);
}

TEST(ReportTemplate, ShippedTemplatesLoadAndTheEngineSavesThemUnchanged) {
    QTemporaryDir dir;
    for (const char* file : {"grf/sf.grf", "grf/yc.grf", "bak/sf.bak", "bak/yc.bak"}) {
        ReportEngine engine;
        ASSERT_TRUE(engine.LoadFromFile(shipped(file)))
            << file << ": " << engine.load_error().toStdString();
        ASSERT_TRUE(engine.SaveToFile(dir.filePath("copy.grf")));
        ReportEngine again;
        ASSERT_TRUE(again.LoadFromFile(dir.filePath("copy.grf")));
        EXPECT_EQ(again.report_template(), engine.report_template()) << file;
    }
    ReportEngine charge, prepay;
    charge.LoadFromFile(shipped("grf/sf.grf"));
    prepay.LoadFromFile(shipped("grf/yc.grf"));
    EXPECT_FALSE(charge.DetailGrid().empty());
    EXPECT_TRUE(prepay.DetailGrid().empty());
}

TEST(ReportTemplate, DamagedTemplatesAreRefused) {
    const QJsonObject good =
        QJsonDocument::fromJson(template_to_json(every_kind_of_item())).object();
    const auto with = [&](const std::function<void(QJsonObject&)>& change) {
        QJsonObject o = good;
        change(o);
        return QJsonDocument(o).toJson();
    };
    const auto first_header_item = [](QJsonObject& o,
                                      const std::function<void(QJsonObject&)>& change) {
        QJsonArray bands = o["bands"].toArray();
        QJsonObject header = bands[0].toObject();
        QJsonArray items = header["items"].toArray();
        QJsonObject item = items[0].toObject();
        change(item);
        items[0] = item;
        header["items"] = items;
        bands[0] = header;
        o["bands"] = bands;
    };
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const QByteArray whole = QJsonDocument(good).toJson();
    const std::vector<Case> cases = {
        {"cut short", whole.left(whole.size() / 2)},
        {"empty file", QByteArray()},
        {"not a template", QByteArray("{\"hello\": 1}")},
        {"another version", with([](QJsonObject& o) { o["version"] = 7; })},
        {"negative page width", with([](QJsonObject& o) {
             QJsonObject p = o["page"].toObject();
             p["width"] = -210;
             o["page"] = p;
         })},
        {"margins wider than the paper", with([](QJsonObject& o) {
             QJsonObject p = o["page"].toObject();
             p["left"] = 100;
             p["right"] = 100;
             o["page"] = p;
         })},
        {"unknown item kind", with([&](QJsonObject& o) {
             first_header_item(o, [](QJsonObject& i) { i["kind"] = "chart"; });
         })},
        {"field item without field", with([&](QJsonObject& o) {
             first_header_item(o, [](QJsonObject& i) {
                 i["kind"] = "field";
                 i.remove("field");
             });
         })},
        {"length as text", with([&](QJsonObject& o) {
             first_header_item(o, [](QJsonObject& i) { i["w"] = "wide"; });
         })},
        {"absurd height", with([&](QJsonObject& o) {
             first_header_item(o, [](QJsonObject& i) { i["h"] = 1e12; });
         })},
        {"unknown format", with([&](QJsonObject& o) {
             first_header_item(o, [](QJsonObject& i) { i["format"] = "%s%s%n"; });
         })},
        {"picture not base64", with([&](QJsonObject& o) {
             first_header_item(o, [](QJsonObject& i) {
                 i["kind"] = "picture";
                 i["picture"] = "***";
             });
         })},
        {"two detail tables", with([](QJsonObject& o) {
             QJsonArray bands = o["bands"].toArray();
             bands.append(bands[1]);
             o["bands"] = bands;
         })},
        {"detail table without columns", with([](QJsonObject& o) {
             QJsonArray bands = o["bands"].toArray();
             QJsonObject d = bands[1].toObject();
             d["columns"] = QJsonArray();
             bands[1] = d;
             o["bands"] = bands;
         })},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        QString why;
        EXPECT_FALSE(template_from_json(c.bytes, &why)) << c.what;
        EXPECT_FALSE(why.isEmpty()) << c.what;
        QFile file(dir.filePath("bad.grf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        ReportEngine engine;
        EXPECT_FALSE(engine.LoadFromFile(dir.filePath("bad.grf"))) << c.what;
        EXPECT_FALSE(engine.loaded());
    }
    ReportEngine engine;
    EXPECT_FALSE(engine.LoadFromFile(dir.filePath("missing.grf")));
}

TEST(ReportTemplate, SaveToAnUnwritablePlaceFailsAndKeepsTheOldFile) {
    QTemporaryDir dir;
    ReportEngine engine;
    engine.set_report_template(every_kind_of_item());
    EXPECT_FALSE(engine.SaveToFile(dir.filePath("no/such/folder/t.grf")));

    // A save that cannot be written whole (here the file size limit stops it half way, as a
    // full disk would) leaves the template that was there before.
    const QString path = dir.filePath("t.grf");
    ReportTemplate old_template;
    ASSERT_TRUE(save_template_file(old_template, path));
    QFile old_file(path);
    ASSERT_TRUE(old_file.open(QIODevice::ReadOnly));
    const QByteArray old_bytes = old_file.readAll();
    old_file.close();
    ASSERT_GT(template_to_json(every_kind_of_item()).size(), old_bytes.size() + 64);

    bool saved = true;
    {
        harness::FileSizeLimit limit(old_bytes.size() + 16);
        saved = engine.SaveToFile(path);
    }
    EXPECT_FALSE(saved);

    ASSERT_TRUE(old_file.open(QIODevice::ReadOnly));
    EXPECT_EQ(old_file.readAll(), old_bytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.grf"});
}

TEST(ReportTemplate, ValuesShowAsTheirFormatSays) {
    EXPECT_EQ(format_template_value("12.5", 12.5, false, ""), "12.5");
    EXPECT_EQ(format_template_value("12.5", 12.5, false, "0.00"), "12.50");
    EXPECT_EQ(format_template_value("2.675", 2.675, false, "0.00"), "2.68");
    EXPECT_EQ(format_template_value("0.5", 0.5, false, "0.0000"), "0.5000");
    EXPECT_EQ(format_template_value("5", 5, false, "0"), "5");
    EXPECT_EQ(format_template_value("", 0, true, "0.00"), "");
}

TEST(ReportEngineSource, ConnectionTextFindsThePrintDatabaseWhateverItsCase) {
    QTemporaryDir dir;
    QFile file(dir.filePath("print.mdb"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString found = ReportEngine::database_file(
        "ODBC;DBQ=" + dir.path() + "\\Print.mdb;Driver={Microsoft Access Driver (*.mdb)};");
    EXPECT_EQ(found, dir.filePath("print.mdb"));
    EXPECT_TRUE(ReportEngine::database_file("ODBC;DBQ=" + dir.path() + "/other.mdb;").isEmpty());
    EXPECT_TRUE(ReportEngine::database_file("Driver=x;").isEmpty());
}

}  // namespace
