// The data generator as the build runs it: every file its table names is made,
// under a name the game or the demo loads, and two runs make the same bytes.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <string>

#include "support/test_support.h"

namespace {

// The files the game and the demo load from the data folder.
const std::set<std::string> kLoadedFiles = {
    "opentitle.x", "env.x", "objstart.x", "objcheck.x", "car.x", "course1st@5.x", "obj1st@3.x", "obj1st2@1.x",
    "obj1st3@1.x", "green2nd.x", "course2nd.x", "course2ndside.x", "hf_tex72.bmp", "hf_bump7.bmp", "ambient.mid",
    "demo_windmill.txt", "demo_windmill_tower.x", "demo_windmill_door.x", "demo_windmill_cap.x",
    "demo_windmill_sails.x", "demo_windmill_flag.x", "demo_particle.bmp", "demo_sun.bmp", "demo_water.bmp",
    "demo_bell.wav", "demo_engine.wav",
};

// The names in the generator's table, read from its source.
std::set<std::string> TableNames() {
    const std::string source = ReadFile(std::string(NOL_SOURCE_DIR) + "/tools/datagen/main.cpp");
    const std::regex entry(R"re(\{\s*"([^"]+)"\s*,\s*datagen::)re");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(source.begin(), source.end(), entry); it != std::sregex_iterator(); ++it)
        names.insert((*it)[1].str());
    return names;
}

std::set<std::string> FilesIn(const std::string& dir) {
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

int Generate(const std::string& dir) {
    const std::string command = std::string("'") + NOL_DATAGEN_PROGRAM + "' '" + dir + "'";
    return std::system(command.c_str());
}

TEST(DataGeneration, EveryTableFileIsMadeUnderALoadedNameWithTheSameBytesOnEveryRun) {
    const std::set<std::string> table = TableNames();
    ASSERT_GE(table.size(), 4u);
    for (const std::string& name : table) EXPECT_TRUE(kLoadedFiles.count(name)) << name << " is not a file that is loaded";

    TempDir first, second;
    ASSERT_EQ(Generate(first.path), 0);
    ASSERT_EQ(Generate(second.path), 0);
    const std::set<std::string> made = FilesIn(first.path);
    EXPECT_EQ(made, table);
    EXPECT_EQ(FilesIn(second.path), made);
    for (const std::string& name : made) {
        const std::string a = ReadFile(first.File(name)), b = ReadFile(second.File(name));
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == b) << name << " differs between two runs";
    }
}

TEST(DataGeneration, AFolderThatCannotBeMadeFailsTheRun) {
    TempDir dir;
    ASSERT_TRUE(std::system(("touch '" + dir.File("file") + "'").c_str()) == 0);
    EXPECT_NE(Generate(dir.File("file") + "/data"), 0);
}

}  // namespace
