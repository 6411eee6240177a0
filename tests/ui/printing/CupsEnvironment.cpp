#include "CupsEnvironment.h"

namespace {
const auto* const cupsEnvironment = ::testing::AddGlobalTestEnvironment(new CupsEnvironment);
} // namespace
