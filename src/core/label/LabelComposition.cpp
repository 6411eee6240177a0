#include "core/label/LabelComposition.h"

#include "core/label/LabelText.h"
#include "core/runtime/Clock.h"
#include "core/runtime/Conversions.h"
#include "core/runtime/LocaleFormats.h"
#include "core/runtime/RuntimeError.h"

#include <cmath>

namespace {

const char* const LineBreak = "\r\n";

} // namespace

std::string DiskNumberText(std::int16_t number) {
    return "#" + IntToText(number);
}

std::string CaptionColumn() {
    return "Drive Type\r\n"
           "Volume ID\r\n"
           "Serial No\r\n"
           "\r\n"
           "Disk Cap.\r\n"
           "Used Space\r\n"
           "\r\n"
           "Free Space\r\n";
}

std::string ValueColumn(DiskFactsRecord& facts, char decimalSeparator) {
    const auto format = [decimalSeparator](double v) { return FormatFixed2(v, decimalSeparator); };
    std::string column;
    column += PrintableText(facts.DriveTypeName) + LineBreak;
    column += PrintableText(facts.VolumeName) + LineBreak;
    column += PrintableText(facts.SerialText) + LineBreak;
    column += LineBreak;
    column += format(facts.CapacityMB) + " MB" + LineBreak;
    column += format(facts.CapacityMB - facts.FreeMB) + " MB" + LineBreak;
    column += LineBreak;
    column += format(facts.FreeMB) + " MB";
    return column;
}

double UsedPercentage(const DiskFactsRecord& facts) {
    if (facts.CapacityMB == 0.0) {
        throw RuntimeError(RuntimeError::DivisionByZero);
    }
    const double percentage = (facts.CapacityMB - facts.FreeMB) * 100.0 / facts.CapacityMB;
    if (!std::isfinite(percentage)) {
        throw RuntimeError(RuntimeError::Overflow);
    }
    return percentage;
}

std::string DateTimeLine(const Clock& clock, const LocaleFormats& formats) {
    // Two readings, date first, as the line has always been made.
    const std::string date = formats.mediumDate(clock.now());
    const std::string time = formats.mediumTime(clock.now());
    return date + ",  " + time;
}
