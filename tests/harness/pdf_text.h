#pragma once
// A printed PDF as a reader gets it back through poppler: pdfinfo's page count and size,
// pdftotext's text of every page, and the words of every page with their boxes.
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>

namespace harness {

struct PdfWord {
    QString text;
    double x_min, y_min, x_max, y_max;  // points, from the page's top left corner
};

struct PdfText {
    int page_count = 0;
    double page_width = 0, page_height = 0;   // points, first page
    QString page_size_line;                   // pdfinfo's "Page size:" line
    QStringList pages;                        // pdftotext -layout, one text per page
    std::vector<std::vector<PdfWord>> words;  // pdftotext -bbox, per page

    QString all() const { return pages.join(u'\f'); }
};

// Runs a program to its end and returns what it wrote; a failing run fails the test.
QString run_tool(const QString& program, const QStringList& args);

PdfText read_pdf(const QString& path);

// The first word with exactly this text, or nullptr.
const PdfWord* find_word(const std::vector<PdfWord>& words, const QString& text);

// The first capture of every match of `re` in `text`, as numbers (the rows a page carries).
std::vector<int> captured_numbers(const QString& text, const QRegularExpression& re);

// first, first + 1, ..., last.
std::vector<int> range(int first, int last);

}  // namespace harness
