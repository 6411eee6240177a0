#include "support/PdfTools.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <utility>

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
        std::size_t n = 0;
        while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
            text.append(buffer, n);
        }
        pclose(pipe);
    }
    return text;
}

} // namespace

PdfFacts PdfInfo(const std::string& file) {
    PdfFacts facts;
    std::istringstream lines(output("pdfinfo " + quoted(file)));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Pages:", 0) == 0) {
            facts.pages = std::atoi(line.c_str() + 6);
        } else if (line.rfind("Page size:", 0) == 0) {
            std::sscanf(line.c_str() + 10, " %lf x %lf", &facts.widthPoints, &facts.heightPoints);
        }
    }
    return facts;
}

std::string PdfWords(const std::string& file) {
    const std::string html = output("pdftotext -bbox " + quoted(file) + " -");
    std::string words;
    for (std::size_t at = html.find("<word "); at != std::string::npos; at = html.find("<word ", at)) {
        const std::size_t begin = html.find('>', at) + 1;
        const std::size_t end = html.find("</word>", begin);
        if (begin == 0 || end == std::string::npos) {
            break;
        }
        std::string word = html.substr(begin, end - begin);
        for (const auto& [entity, plain] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                            {"&gt;", ">"},
                                            {"&quot;", "\""},
                                            {"&apos;", "'"},
                                            {"&amp;", "&"}}) {
            for (std::size_t e = word.find(entity); e != std::string::npos; e = word.find(entity, e + 1)) {
                word.replace(e, entity.size(), plain);
            }
        }
        words += (words.empty() ? "" : " ") + word;
        at = end;
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
