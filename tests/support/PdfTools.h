#pragma once

#include <QImage>

#include <string>

// What poppler's command-line tools say about a PDF file.
struct PdfFacts {
    int pages = 0;
    double widthPoints = 0;
    double heightPoints = 0;
};

// Pages and the first page's size (pdfinfo); zero pages when the file is no PDF.
PdfFacts PdfInfo(const std::string& file);
// Every word of all pages in reading order, one blank between words. Unlike the layout text, two words
// always stay apart however narrow the gap ("# 2" never reads as "#2").
std::string PdfWords(const std::string& file);
// The first page drawn at this resolution (pdftoppm); a null image on failure.
QImage PdfPageImage(const std::string& file, int dotsPerInch = 72);
