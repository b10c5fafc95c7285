// A test with its own scratch directory, an archive path in it, captured message boxes and a
// fresh image registry; UseArchive opens an archive and starts a bare production on it (no
// pictures, music or parts), which makes it the program's data file until the test ends.
#pragma once

#include "Data/DataFile.h"
#include "Data/Images.h"
#include "Production/Production.h"
#include "Support/CapturingSinks.h"
#include "Support/TempDir.h"
#include "Support/ZipWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Boxes = std::vector<MessageBox>;

class ArchiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InitDevil()); }
    void SetUp() override { ResetImageRegistry(); }
    void TearDown() override {
        production.reset();
        ResetImageRegistry();
    }

    ZipDataFile& UseArchive(const std::string& path) {
        production.reset();
        archive = std::make_unique<ZipDataFile>(path);
        ProductionSetup setup;
        setup.archive = archive.get();
        setup.pictures = false;
        setup.parts = false;
        production = std::make_unique<Production>(std::move(setup));
        return *archive;
    }

    TempDir dir;
    const std::string zipPath = dir.File("tarnos.zip");
    CapturedBoxes boxes;
    std::unique_ptr<ZipDataFile> archive;
    std::unique_ptr<Production> production;  // declared after the archive it reads: goes first
};
