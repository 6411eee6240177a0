#include "label/LabelComposition.h"

#include "forms/Clock.h"
#include "forms/Conversions.h"
#include "forms/DateFormats.h"
#include "forms/RuntimeError.h"
#include "label/LabelText.h"

#include <cmath>
#include <functional>

namespace {

const char* const kLineBreak = "\r\n";

std::string ValueColumnWith(DiskFactsRecord& facts, const std::function<std::string(double)>& format) {
    std::string column;
    column += PrintableText(facts.DriveTypeName) + kLineBreak;
    column += PrintableText(facts.VolumeName) + kLineBreak;
    column += PrintableText(facts.SerialText) + kLineBreak;
    column += kLineBreak;
    column += format(facts.CapacityMB) + " MB" + kLineBreak;
    column += format(facts.CapacityMB - facts.FreeMB) + " MB" + kLineBreak;
    column += kLineBreak;
    column += format(facts.FreeMB) + " MB";
    return column;
}

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

std::string ValueColumn(DiskFactsRecord& facts) {
    return ValueColumnWith(facts, FormatNumber00);
}

std::string ValueColumn(DiskFactsRecord& facts, char decimalSeparator) {
    return ValueColumnWith(facts, [decimalSeparator](double v) { return FormatFixed2(v, decimalSeparator); });
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

std::string DateTimeLine(const Clock& clock) {
    // Two readings, date first, as the line has always been made.
    const std::string date = FormatMediumDate(clock.now());
    const std::string time = FormatMediumTime(clock.now());
    return date + ",  " + time;
}

std::string DateTimeLine() {
    const auto& clock = Program().services.clock;
    if (!clock) {
        throw RuntimeError(RuntimeError::ObjectRequired);
    }
    return DateTimeLine(*clock);
}
