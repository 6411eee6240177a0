#pragma once

#include "support/FakeServices.h"

#include "forms/ProgramState.h"

#include <gtest/gtest.h>

#include <memory>

// Resets the program-wide state around each test and installs recording message and ending seams.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgram();
        messages = std::make_shared<RecordingMessages>();
        clock = std::make_shared<FixedClock>();
        Program().services.messages = messages;
        Program().services.terminator = std::make_shared<ThrowingTerminator>();
        Program().services.clock = clock;
    }
    void TearDown() override { ResetProgram(); }

    std::shared_ptr<RecordingMessages> messages;
    std::shared_ptr<FixedClock> clock;
};
