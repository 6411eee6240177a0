#pragma once

#include "support/ProgramFixture.h"
#include "support/TempDir.h"

#include "core/settings/IniProfileStore.h"

#include <filesystem>
#include <memory>
#include <string_view>

// A ProgramFixture whose profile store reads and writes "Tesslin1.ini" in a fresh temporary folder.
template <typename ServicesType> class ProfileFixtureFor : public ProgramFixtureFor<ServicesType> {
protected:
    void SetUp() override {
        ProgramFixtureFor<ServicesType>::SetUp();
        this->services.profile = std::make_shared<IniProfileStore>(profileFile);
    }
    void givenProfile(std::string_view text) const { WriteBytes(profileFile, text); }

    TempDir dir;
    std::filesystem::path profileFile = dir / "Tesslin1.ini";
};

using ProfileFixture = ProfileFixtureFor<Services>;
