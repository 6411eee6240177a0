#pragma once

#include <QImage>

#include <string>

// What poppler's command-line tools say about a PDF file.

// The number of pages (pdfinfo); zero when the file is no PDF.
int PdfPages(const std::string& file);
// Every word of all pages in reading order, one blank between words, as pdftotext writes them in its
// bounding-box listing (&, <, > escaped). Unlike the layout text, two words always stay apart however
// narrow the gap ("# 2" never reads as "#2").
std::string PdfWords(const std::string& file);
// The first page drawn at this resolution (pdftoppm); a null image on failure.
QImage PdfPageImage(const std::string& file, int dotsPerInch = 72);
