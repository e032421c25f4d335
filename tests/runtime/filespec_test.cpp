// FileSpec: taking file names apart and putting them together again.
#include <gtest/gtest.h>

#include "platform/runtime/filespec.h"

namespace kp {
namespace {

TEST(FileSpec, PartsOfFullLocalUncAndBareNames) {
    FileSpec full("C:\\KP\\DATEN\\Kunden.dbf");
    EXPECT_EQ(full.Drive(), "C:");
    EXPECT_EQ(full.Path(), "\\KP\\DATEN\\");
    EXPECT_EQ(full.FileName(), "Kunden");
    EXPECT_EQ(full.Extension(), ".dbf");
    EXPECT_EQ(full.FullPath(), "C:\\KP\\DATEN\\Kunden.dbf");

    FileSpec unc("\\\\srv\\kp\\Setup.ini");
    EXPECT_EQ(unc.Drive(), "");
    EXPECT_EQ(unc.Path(), "\\\\srv\\kp\\");
    EXPECT_EQ(unc.FullPath(), "\\\\srv\\kp\\Setup.ini");

    FileSpec bare("Setup");
    EXPECT_EQ(bare.Drive(), "");
    EXPECT_EQ(bare.Path(), "");
    EXPECT_EQ(bare.FileName(), "Setup");
    EXPECT_EQ(bare.Extension(), "");

    FileSpec driveOnly("d:Setup.ini");  // relative to drive D's current directory
    EXPECT_EQ(driveOnly.Drive(), "d:");
    EXPECT_EQ(driveOnly.Path(), "");
    EXPECT_EQ(driveOnly.FileName(), "Setup");

    FileSpec slashes("daten/texte/brief.rtf");
    EXPECT_EQ(slashes.Path(), "daten/texte/");
    EXPECT_EQ(slashes.FileName(), "brief");
}

TEST(FileSpec, AFullStopInADirectoryIsNoExtension) {
    FileSpec f("C:\\V1.0\\SETUP");
    EXPECT_EQ(f.Path(), "\\V1.0\\");
    EXPECT_EQ(f.FileName(), "SETUP");
    EXPECT_EQ(f.Extension(), "");
    EXPECT_EQ(FileNamePart("C:\\V1.0\\SETUP"), "SETUP");
    EXPECT_EQ(FileNamePart("C:SETUP.CFG"), "SETUP.CFG");
    EXPECT_EQ(FileNamePart("dir\\"), "");

    FileSpec twoDots("archiv.2010.tar.gz");
    EXPECT_EQ(twoDots.FileName(), "archiv.2010.tar");
    EXPECT_EQ(twoDots.Extension(), ".gz");
}

TEST(FileSpec, AssigningAPartKeepsTheOthers) {
    FileSpec f("C:\\KP\\Setup.ini");
    f.Drive("D");
    f.Path("\\ANDERS");
    f.Extension("cfg");
    EXPECT_EQ(f.FullPath(), "D:\\ANDERS\\Setup.cfg");
    f.FileName("Neu");
    f.Extension(".INI");
    EXPECT_EQ(f.FullPath(), "D:\\ANDERS\\Neu.INI");
    f.Drive("");
    f.Path("");
    EXPECT_EQ(f.FullPath(), "Neu.INI");
    f.FullPath("E:\\x\\y.z");
    EXPECT_EQ(f.Drive(), "E:");
    EXPECT_EQ(f.FileName(), "y");
}

}  // namespace
}  // namespace kp
