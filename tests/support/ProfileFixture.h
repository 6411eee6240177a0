#pragma once

#include "support/ProgramFixture.h"
#include "support/TempDir.h"

#include "settings/IniProfileStore.h"

#include <filesystem>
#include <memory>
#include <string_view>

// A ProgramFixture whose profile store reads and writes "Tesslin1.ini" in a fresh temporary folder.
class ProfileFixture : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        Program().services.profile = std::make_shared<IniProfileStore>(profileFile);
    }
    void givenProfile(std::string_view text) const { WriteBytes(profileFile, text); }

    TempDir dir;
    std::filesystem::path profileFile = dir / "Tesslin1.ini";
};
