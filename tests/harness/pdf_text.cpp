#include "harness/pdf_text.h"

#include <gtest/gtest.h>

#include <QProcess>

namespace harness {

QString run_tool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0)
        << program.toStdString() << " " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

PdfText read_pdf(const QString& path) {
    PdfText out;
    const QString info = run_tool("pdfinfo", {path});
    const auto pages = QRegularExpression(R"(Pages:\s+(\d+))").match(info);
    out.page_count = pages.captured(1).toInt();
    const auto size =
        QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+) pts[^\n]*)").match(info);
    out.page_width = size.captured(1).toDouble();
    out.page_height = size.captured(2).toDouble();
    out.page_size_line = size.captured(0);

    out.pages = run_tool("pdftotext", {"-layout", path, "-"}).split(u'\f');
    if (!out.pages.isEmpty() && out.pages.last().trimmed().isEmpty()) out.pages.removeLast();

    const QString html = run_tool("pdftotext", {"-bbox", path, "-"});
    static const QRegularExpression page_re(R"(<page [^>]*>(.*?)</page>)",
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression word_re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto page = page_re.globalMatch(html); page.hasNext();) {
        const QString body = page.next().captured(1);
        std::vector<PdfWord> words;
        for (auto w = word_re.globalMatch(body); w.hasNext();) {
            const auto m = w.next();
            QString text = m.captured(5);
            text.replace("&amp;", "&")
                .replace("&lt;", "<")
                .replace("&gt;", ">")
                .replace("&quot;", "\"");
            words.push_back({text, m.captured(1).toDouble(), m.captured(2).toDouble(),
                             m.captured(3).toDouble(), m.captured(4).toDouble()});
        }
        out.words.push_back(std::move(words));
    }
    return out;
}

const PdfWord* find_word(const std::vector<PdfWord>& words, const QString& text) {
    for (const PdfWord& w : words)
        if (w.text == text) return &w;
    return nullptr;
}

std::vector<int> captured_numbers(const QString& text, const QRegularExpression& re) {
    std::vector<int> numbers;
    for (auto m = re.globalMatch(text); m.hasNext();)
        numbers.push_back(m.next().captured(1).toInt());
    return numbers;
}

std::vector<int> range(int first, int last) {
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
}

}  // namespace harness
