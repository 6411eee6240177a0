#pragma once

#include "support/ProfileFixture.h"
#include "support/ProgramFixture.h"

#include "ui/forms/WindowServices.h"

// The fixtures of window tests: the same fakes, in the bundle that windows take.
using WindowFixture = ProgramFixtureFor<WindowServices>;
using WindowProfileFixture = ProfileFixtureFor<WindowServices>;
