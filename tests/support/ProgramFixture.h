#pragma once

#include "support/FakeServices.h"

#include "core/runtime/ProgramState.h"
#include "core/runtime/Services.h"

#include <gtest/gtest.h>

#include <memory>

// Resets the program-wide state around each test and hands out services with recording messages, an
// ending that throws, a pinned clock and C-locale formats; tests add the profile and drives they need.
// Window tests use the window services bundle in place of the core one.
template <typename ServicesType> class ProgramFixtureFor : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgram();
        messages = std::make_shared<RecordingMessages>();
        clock = std::make_shared<FixedClock>();
        services.messages = messages;
        services.terminator = std::make_shared<ThrowingTerminator>();
        services.clock = clock;
        services.formats = std::make_shared<CLocaleFormats>();
    }
    void TearDown() override { ResetProgram(); }

    ServicesType services;
    std::shared_ptr<RecordingMessages> messages;
    std::shared_ptr<FixedClock> clock;
};

using ProgramFixture = ProgramFixtureFor<Services>;
