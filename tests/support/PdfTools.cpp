#include "support/PdfTools.h"

#include <QProcess>

#include <cstdlib>

namespace {

// What a poppler tool writes to its standard output; nothing when it cannot run.
QByteArray Output(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

} // namespace

int PdfPages(const std::string& file) {
    const std::string info = "\n" + Output("pdfinfo", {QString::fromStdString(file)}).toStdString();
    const std::size_t at = info.find("\nPages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 7);
}

std::string PdfWords(const std::string& file) {
    const std::string html = Output("pdftotext", {"-bbox", QString::fromStdString(file), "-"}).toStdString();
    std::string words;
    for (std::size_t at = html.find("<word "); at != std::string::npos; at = html.find("<word ", at)) {
        const std::size_t begin = html.find('>', at) + 1;
        at = html.find("</word>", begin);
        if (begin == 0 || at == std::string::npos) {
            break;
        }
        words += (words.empty() ? "" : " ") + html.substr(begin, at - begin);
    }
    return words;
}

QImage PdfPageImage(const std::string& file, int dotsPerInch) {
    // Without an output name, pdftoppm writes the one page to its standard output.
    return QImage::fromData(Output("pdftoppm", {"-f", "1", "-l", "1", "-singlefile", "-png", "-r",
                                                QString::number(dotsPerInch), QString::fromStdString(file)}),
                            "PNG");
}
