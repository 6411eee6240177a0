#include "support/PdfTools.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace {

std::string quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n = 0; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
            text.append(buffer, n);
        }
        pclose(pipe);
    }
    return text;
}

} // namespace

int PdfPages(const std::string& file) {
    const std::string info = "\n" + output("pdfinfo " + quoted(file));
    const std::size_t at = info.find("\nPages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 7);
}

std::string PdfWords(const std::string& file) {
    const std::string html = output("pdftotext -bbox " + quoted(file) + " -");
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
    const std::string base =
        std::filesystem::temp_directory_path().string() + "/tessaline-page-" + std::to_string(getpid());
    output("pdftoppm -f 1 -l 1 -singlefile -png -r " + std::to_string(dotsPerInch) + " " + quoted(file) +
           " " + quoted(base));
    QImage image(QString::fromStdString(base + ".png"));
    std::filesystem::remove(base + ".png");
    return image;
}
