#include "platform/ui/resources/resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "platform/ui/resources/temp_resources.h"

namespace zem::ui {
namespace {

namespace fs = std::filesystem;

TEST(ResourceDirTest, EnvironmentOverridesTheBuiltInFolder) {
    fs::path builtIn;
    {
        test::TempResources resources;
        EXPECT_EQ(ResourceDir(), resources.Path());
        EXPECT_EQ(LayoutPath("zembrola$zembr002"),
                  resources.Path() / "layout" / "zembrola$zembr002.json");
        EXPECT_EQ(HelpDir(), resources.Path() / "help");
        ::setenv("ZEMBROLA_RESOURCES", "", 1);  // set but empty counts as not set
        builtIn = ResourceDir();
    }
    // The source tree's resources folder.
    EXPECT_EQ(builtIn.filename(), "resources");
    EXPECT_TRUE(fs::exists(builtIn.parent_path() / "src" / "platform" / "ui" / "resources" / "resources.cpp"))
        << builtIn;
}

TEST(LayoutPathTest, FindsALayoutByTheResourceItNamesInsideAndElseByTheResourceName) {
    test::TempResources resources;
    resources.Write("layout/query_form.json", R"({"resource": "app$form1", "windows": {}})");
    resources.Write("layout/broken.json", "{ not json");
    resources.Write("layout/no_resource.json", R"({"windows": {}})");
    EXPECT_EQ(LayoutPath("app$form1"), resources.Path() / "layout" / "query_form.json");
    EXPECT_EQ(LayoutPath("app$form2"), resources.Path() / "layout" / "app$form2.json");
}

TEST(LayoutPathTest, EveryShippedLayoutNamesItsResourceAndIsNamedAfterItsWindow) {
    const fs::path dir = ResourceDir() / "layout";
    int layouts = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".json") continue;
        ++layouts;
        const std::string stem = entry.path().stem().string();
        EXPECT_EQ(stem.find('$'), std::string::npos) << stem << " is named by its resource id";
    }
    EXPECT_GT(layouts, 0) << dir;
    for (const char* resource : {"zembrola$zembr002", "zembrola$zembr029", "tavrillo$about"}) {
        const fs::path path = LayoutPath(resource);
        EXPECT_TRUE(fs::is_regular_file(path)) << resource << " -> " << path;
        EXPECT_EQ(path.stem().string().find('$'), std::string::npos) << path;
    }
}

struct IconCase {
    const char* name;
    std::optional<const char*> file;  // under icons/
    friend void PrintTo(const IconCase& c, std::ostream* out) { *out << '"' << c.name << '"'; }
};

class IconPathTest : public ::testing::TestWithParam<IconCase> {
  protected:
    void SetUp() override {
        for (const char* icon :
             {"waok.png", "gendict.png", "active.png", "xxpp_on.png", "a.b.png"}) {
            resources_.Write(fs::path("icons") / icon, "png");
        }
        resources_.Write("icons/waok.ico", "not the drawn icon");
        resources_.Write("outside.png", "png");
    }
    test::TempResources resources_;
};

TEST_P(IconPathTest, FindsTheDrawnIcon) {
    const IconCase& c = GetParam();
    const std::optional<fs::path> found = IconPath(c.name);
    if (c.file) {
        ASSERT_TRUE(found);
        EXPECT_EQ(*found, resources_.Path() / "icons" / *c.file);
    } else {
        EXPECT_FALSE(found) << *found;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, IconPathTest,
    ::testing::Values(IconCase{"WAOK.ICO", "waok.png"}, IconCase{"waok.ico", "waok.png"},
                      IconCase{"WAOK", "waok.png"}, IconCase{"~gendict.ico", "gendict.png"},
                      IconCase{"~ACTIVE.ICO", "active.png"}, IconCase{"xXPp_on.ico", "xxpp_on.png"},
                      IconCase{"A.B.ico", "a.b.png"}, IconCase{"", std::nullopt},
                      IconCase{"~", std::nullopt}, IconCase{".ico", std::nullopt},
                      IconCase{"missing.ico", std::nullopt},
                      IconCase{"~~gendict.ico", std::nullopt},
                      IconCase{"../outside.ico", std::nullopt},
                      IconCase{"..\\outside.ico", std::nullopt}));

TEST(PicturePathTest, MatchesFileNamesWithoutRegardToCase) {
    test::TempResources resources;
    resources.Write("pictures/toolbox.jpg", "jpeg");
    resources.Write("pictures/Wall.JPG", "jpeg");
    resources.Write("pictures/worm.jpg/inner", "a directory, not a picture");
    resources.Write("secret.jpg", "outside");

    EXPECT_EQ(PicturePath("toolbox.jpg"), resources.Path() / "pictures" / "toolbox.jpg");
    EXPECT_EQ(PicturePath("TOOLBOX.JPG"), resources.Path() / "pictures" / "toolbox.jpg");
    EXPECT_EQ(PicturePath("wall.jpg"), resources.Path() / "pictures" / "Wall.JPG");
    EXPECT_FALSE(PicturePath("worm.jpg"));
    EXPECT_FALSE(PicturePath(""));
    EXPECT_FALSE(PicturePath("../secret.jpg"));
    EXPECT_FALSE(PicturePath("missing.jpg"));
}

TEST(PicturePathTest, MissingFolderFindsNothing) {
    test::TempResources resources;
    EXPECT_FALSE(PicturePath("toolbox.jpg"));
    EXPECT_FALSE(IconPath("waok.ico"));
}

}  // namespace
}  // namespace zem::ui
