// A test with its own scratch directory, an archive path in it, captured message boxes and a
// fresh image registry; UseArchive makes an archive the program's data file.
#pragma once

#include "Data/DataFile.h"
#include "Data/Images.h"
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
        dataFile = nullptr;
        ResetImageRegistry();
    }

    ZipDataFile& UseArchive(const std::string& path) {
        archive = std::make_unique<ZipDataFile>(path);
        dataFile = archive.get();
        return *archive;
    }

    TempDir dir;
    const std::string zipPath = dir.File("tarnos.zip");
    CapturedBoxes boxes;
    std::unique_ptr<ZipDataFile> archive;
};
