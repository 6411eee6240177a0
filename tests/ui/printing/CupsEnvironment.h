#pragma once

#include "support/CupsServer.h"

#include <gtest/gtest.h>

#include <memory>

// One scheduler for the whole printing test program: libcups fixes the server of a thread at its first
// call, and even constructing a QPrinter asks for the default printer.
class CupsEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { server = std::make_unique<CupsServer>(); }
    void TearDown() override { server.reset(); }
    static inline std::unique_ptr<CupsServer> server;
};
