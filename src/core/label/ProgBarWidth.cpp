#include "core/label/ProgBarWidth.h"

#include "core/runtime/Conversions.h"

float ProgBarWidthTwips(double usedPercent) {
    const float single = static_cast<float>(usedPercent);
    const float p = static_cast<float>(CInt(static_cast<double>(single)));
    return p / 100.0f * FullProgBarTwips;
}
