#include <gtest/gtest.h>

#include <vector>

#include "settings/SettingsStore.h"
#include "support/CaseName.h"
#include "support/TempTree.h"

namespace grittydecal {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

const std::string kName = "grittydecal.INI";

// The main window as designed, before it is first displayed.
class FakeWindow : public SettingsWindow {
public:
    WindowPlacement current{0, 1, {-1, -1}, {-1, -1}, {100, 100, 600, 400}};
    bool visible = false;
    bool minimized = false;
    PixelSize screen{1280, 1024};
    std::int32_t dpi = 96;
    std::int32_t decal = 0;
    std::string folder;
    bool area = false;

    std::vector<WindowPlacement> placementsSet;
    std::vector<ShowState> statesSet;
    int minimizesPosted = 0;
    int decalSelections = 0;
    int areaClicks = 0;

    WindowPlacement placement() override { return current; }
    void setPlacement(const WindowPlacement& placement) override {
        placementsSet.push_back(placement);
        current = placement;
    }
    bool isVisible() override { return visible; }
    PixelRect frame() override { return {100, 100, 600, 400}; }
    void setShowState(ShowState state) override { statesSet.push_back(state); }
    bool isMinimized() override { return minimized; }
    void postMinimize() override { ++minimizesPosted; }
    PixelSize screenSize() override { return screen; }
    std::int32_t pixelsPerInch() override { return dpi; }
    PixelSize sizingBorder() override { return {4, 4}; }
    std::int32_t decalIndex() override { return decal; }
    void setDecalIndex(std::int32_t index) override {
        decal = index;
        ++decalSelections;
    }
    std::string folderText() override { return folder; }
    void setFolderText(std::string_view text) override { folder = text; }
    bool areaMode() override { return area; }
    void setAreaMode(bool on) override {
        if (on != area) ++areaClicks;
        area = on;
    }

    // What displaying the window after the restore does to its placement.
    void display() {
        visible = true;
        if (current.showCmd == 0) current.showCmd = 1;
    }
};

class SettingsStoreTest : public ::testing::Test {
protected:
    TempTree config;
    fs::path file = config.path(kName);

    SettingsStore storeFor(FakeWindow& window) { return {window, config.root(), kName}; }

    // One run: restore into a designed window, let the test change it, close.
    template <typename Change>
    void run(FakeWindow& window, Change change) {
        SettingsStore store = storeFor(window);
        store.restore();
        window.display();
        change(window);
        ASSERT_EQ(store.save(), std::nullopt);
        ASSERT_EQ(store.saveOnDestroy(), std::nullopt);
    }

    FakeWindow restored(const std::string& section) {
        config.file(kName, "[TForm1]\n" + section);
        FakeWindow window;
        storeFor(window).restore();
        return window;
    }
};

TEST_F(SettingsStoreTest, FirstStartKeepsTheDesignedWindowAndCloseWritesTwelveKeys) {
    FakeWindow window;
    SettingsStore store = storeFor(window);
    store.restore();

    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(window.decal, 0);
    EXPECT_EQ(window.folder, "");
    EXPECT_FALSE(window.area);
    EXPECT_EQ(window.decalSelections, 0);
    EXPECT_EQ(window.areaClicks, 0);
    EXPECT_EQ(window.statesSet, std::vector{ShowState::Normal});
    // Only the reset of the maximized position, which keeps the window hidden.
    ASSERT_EQ(window.placementsSet.size(), 1u);
    EXPECT_EQ(window.placementsSet[0],
              (WindowPlacement{0, 0, {-1, -1}, {-4, -4}, {100, 100, 600, 400}}));

    window.display();
    ASSERT_EQ(store.save(), std::nullopt);
    EXPECT_EQ(config.read(kName),
              "[TForm1]\n"
              "FormVersion=0\n"
              "Flags=0\n"
              "ShowCmd=1\n"
              "PixelsPerInch=96\n"
              "MinMaxPos(1280x1024)=-1,-1,-4,-4\n"
              "MinMaxPos=-1,-1,-4,-4\n"
              "NormPos(1280x1024)=100,100,600,400\n"
              "NormPos=100,100,600,400\n"
              "Visible=0\n"
              "ComboBox1_ItemIndex=0\n"
              "DirectoryEdit1_Text=\n"
              "CheckBox1_Checked=False\n");
}

TEST_F(SettingsStoreTest, ARestartBringsBackWhatWasClosed) {
    const std::string quotedFolder = "\"/home/me/X-Plane 10\"";
    FakeWindow first;
    run(first, [&](FakeWindow& w) {
        w.area = true;
        w.decal = 12;
        w.folder = " \t" + quotedFolder + "  ";
        w.current.normalPosition = {-20, 30, 780, 630};
        w.current.showCmd = 3;
    });
    std::string text = config.read(kName);
    EXPECT_NE(text.find("\nDirectoryEdit1_Text=\"" + quotedFolder + "\"\n"), text.npos) << text;
    EXPECT_NE(text.find("\nShowCmd=3\n"), text.npos) << text;

    FakeWindow second;
    storeFor(second).restore();
    EXPECT_TRUE(second.area);
    EXPECT_EQ(second.areaClicks, 1);
    EXPECT_EQ(second.decal, 12);
    EXPECT_EQ(second.folder, quotedFolder);
    EXPECT_EQ(second.statesSet, std::vector{ShowState::Maximized});
    ASSERT_EQ(second.placementsSet.size(), 2u);
    EXPECT_EQ(second.placementsSet[0].normalPosition, (PixelRect{-20, 30, 780, 630}));
    EXPECT_EQ(second.placementsSet[0].showCmd, 0);
    // The file holds the reset maximized position, so the first apply already has it.
    EXPECT_EQ(second.placementsSet[0].maxPosition, (PixelPoint{-4, -4}));
}

TEST_F(SettingsStoreTest, ATypedDecalComesBackAsNoEntry) {
    FakeWindow first;
    run(first, [](FakeWindow& w) { w.decal = -1; });
    FakeWindow second;
    storeFor(second).restore();
    EXPECT_EQ(second.decal, -1);
    EXPECT_EQ(second.decalSelections, 1);
}

struct PropertyCase {
    const char* name;
    std::string section;
    std::int32_t decal;
    std::string folder;
    bool area;
};

void PrintTo(const PropertyCase& c, std::ostream* out) { *out << c.name; }

class StoredProperties : public SettingsStoreTest,
                         public ::testing::WithParamInterface<PropertyCase> {};

TEST_P(StoredProperties, AreRestoredByTheirRules) {
    const PropertyCase& c = GetParam();
    FakeWindow window = restored(c.section);
    EXPECT_EQ(window.decal, c.decal);
    EXPECT_EQ(window.folder, c.folder);
    EXPECT_EQ(window.area, c.area);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredProperties,
    ::testing::Values(
        PropertyCase{"missing keys keep the design", "Other=1\n", 0, "", false},
        PropertyCase{"an empty list entry", "ComboBox1_ItemIndex=36\n", 36, "", false},
        PropertyCase{"past the list, handed over", "ComboBox1_ItemIndex=99\n", 99, "", false},
        PropertyCase{"hexadecimal position", "ComboBox1_ItemIndex=$A\n", 10, "", false},
        PropertyCase{"not a number gives the first", "ComboBox1_ItemIndex=abc\n", 0, "", false},
        PropertyCase{"true in lower case", "CheckBox1_Checked=true\n", 0, "", true},
        PropertyCase{"1 is no boolean", "CheckBox1_Checked=1\n", 0, "", false},
        PropertyCase{"blanks around the folder", "DirectoryEdit1_Text=\" /x-plane \"\n", 0,
                     "/x-plane", false},
        PropertyCase{"single quotes stay", "DirectoryEdit1_Text=\"'/x'\"\n", 0, "'/x'", false},
        PropertyCase{"a long folder is cut", "DirectoryEdit1_Text=" + std::string(3000, 'a') + "\n",
                     0, std::string(2047, 'a'), false},
        PropertyCase{"version below 0 restores nothing",
                     "FormVersion=-1\nComboBox1_ItemIndex=3\nDirectoryEdit1_Text=/x\n"
                     "CheckBox1_Checked=True\n",
                     0, "", false},
        PropertyCase{"a version that is no number counts as 0",
                     "FormVersion=new\nCheckBox1_Checked=True\n", 0, "", true}),
    grittydecal::testing::CaseName<PropertyCase>);

struct PlacementCase {
    const char* name;
    std::string section;
    std::optional<PixelRect> normal;  // nothing: the placement is not applied
};

void PrintTo(const PlacementCase& c, std::ostream* out) { *out << c.name; }

class StoredPlacement : public SettingsStoreTest,
                        public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(StoredPlacement, IsAppliedOnlyWhenUsable) {
    const PlacementCase& c = GetParam();
    FakeWindow window = restored(c.section);
    // The last placement set is always the reset of the maximized position.
    ASSERT_FALSE(window.placementsSet.empty());
    window.placementsSet.pop_back();
    if (!c.normal) {
        EXPECT_TRUE(window.placementsSet.empty());
        return;
    }
    ASSERT_EQ(window.placementsSet.size(), 1u);
    EXPECT_EQ(window.placementsSet[0].normalPosition, *c.normal);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredPlacement,
    ::testing::Values(
        PlacementCase{"none stored", "ShowCmd=1\n", std::nullopt},
        PlacementCase{"commas", "NormPos=1,2,300,400\n", PixelRect{1, 2, 300, 400}},
        PlacementCase{"blanks", "NormPos=100 200 900 500\n", PixelRect{100, 200, 900, 500}},
        PlacementCase{"right not past left", "NormPos=900,200,100,500\n", std::nullopt},
        PlacementCase{"bad words take the window's edges", "NormPos=10,x\n",
                      PixelRect{10, 100, 600, 400}},
        PlacementCase{"this screen's key first", "NormPos(1280x1024)=1,2,3,4\nNormPos=5,6,7,8\n",
                      PixelRect{1, 2, 3, 4}},
        PlacementCase{"another screen's key is not read",
                      "NormPos(800x600)=1,2,3,4\nNormPos=5,6,7,8\n", PixelRect{5, 6, 7, 8}},
        PlacementCase{"an empty screen key falls back", "NormPos(1280x1024)=\nNormPos=5,6,7,8\n",
                      PixelRect{5, 6, 7, 8}},
        PlacementCase{"another pixel density", "PixelsPerInch=120\nNormPos=1,2,300,400\n",
                      std::nullopt},
        PlacementCase{"a density that is no number matches",
                      "PixelsPerInch=high\nNormPos=1,2,300,400\n", PixelRect{1, 2, 300, 400}},
        PlacementCase{"min and max positions alone count", "MinMaxPos=1,2,3,4\n",
                      PixelRect{100, 100, 600, 400}}),
    grittydecal::testing::CaseName<PlacementCase>);

TEST_F(SettingsStoreTest, RestoresFlagsAndMinMaxPositionsWordByWord) {
    FakeWindow window = restored("Flags=2\nMinMaxPos=7,x\nNormPos=1,2,300,400\n");
    ASSERT_EQ(window.placementsSet.size(), 2u);
    EXPECT_EQ(window.placementsSet[0].flags, 2);
    EXPECT_EQ(window.placementsSet[0].minPosition, (PixelPoint{7, 0}));
    EXPECT_EQ(window.placementsSet[0].maxPosition, (PixelPoint{0, 0}));
    EXPECT_EQ(window.placementsSet[1].maxPosition, (PixelPoint{-4, -4}));
}

TEST_F(SettingsStoreTest, ShowCommandsGiveTheStartState) {
    const std::pair<const char*, std::optional<ShowState>> cases[] = {
        {"3", ShowState::Maximized}, {"1", ShowState::Normal}, {"0", ShowState::Normal},
        {"4", ShowState::Normal},    {"x", ShowState::Normal}, {"2", std::nullopt},
    };
    for (auto [stored, state] : cases) {
        // Another density: the place is not restored, the show state still is.
        FakeWindow window =
            restored("PixelsPerInch=1\nNormPos=1,2,300,400\nShowCmd=" + std::string(stored) + "\n");
        EXPECT_EQ(window.placementsSet.size(), 1u) << stored;
        if (state) {
            EXPECT_EQ(window.statesSet, std::vector{*state}) << stored;
            EXPECT_EQ(window.minimizesPosted, 0) << stored;
        } else {
            EXPECT_TRUE(window.statesSet.empty()) << stored;
            EXPECT_EQ(window.minimizesPosted, 1) << stored;
        }
    }
}

TEST_F(SettingsStoreTest, SavesTheMinimizedStateAndEveryScreenSize) {
    FakeWindow window;
    run(window, [](FakeWindow& w) { w.minimized = true; });
    EXPECT_NE(config.read(kName).find("\nShowCmd=2\n"), std::string::npos);
    FakeWindow wide;
    run(wide, [](FakeWindow& w) {
        w.screen = {1920, 1080};
        w.current.normalPosition = {1, 2, 3, 4};
    });
    std::string text = config.read(kName);
    EXPECT_NE(text.find("\nNormPos(1280x1024)=100,100,600,400\n"), text.npos) << text;
    EXPECT_NE(text.find("\nNormPos(1920x1080)=1,2,3,4\n"), text.npos) << text;
    EXPECT_NE(text.find("\nNormPos=1,2,3,4\n"), text.npos) << text;
}

TEST_F(SettingsStoreTest, AVersionBelowZeroIsWrittenAsZeroAgain) {
    config.file(kName, "[TForm1]\nFormVersion=-1\n");
    FakeWindow window;
    run(window, [](FakeWindow&) {});
    EXPECT_EQ(window.statesSet.size(), 0u);
    EXPECT_TRUE(config.read(kName).starts_with("[TForm1]\nFormVersion=0\n"));
}

TEST_F(SettingsStoreTest, SavesOnlyAfterARestoreAndAtDestructionOnlyWhenNeeded) {
    FakeWindow window;
    SettingsStore store = storeFor(window);
    EXPECT_EQ(store.save(), std::nullopt);
    EXPECT_EQ(store.saveOnDestroy(), std::nullopt);
    EXPECT_FALSE(fs::exists(file));

    store.restore();
    ASSERT_EQ(store.save(), std::nullopt);
    fs::remove(file);
    EXPECT_EQ(store.saveOnDestroy(), std::nullopt);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(SettingsStoreTest, AFailedWriteIsReportedTwiceAndChangesNothing) {
    struct Case {
        const char* name;
        void (*block)(const TempTree& tree);
    };
    const Case cases[] = {
        {"the file is a folder", [](const TempTree& tree) { tree.folder(kName); }},
        {"the file is write-protected",
         [](const TempTree& tree) {
             tree.file(kName, "[TForm1]\r\nFormVersion=5\r\n");
             tree.chmod(kName, 0400);
         }},
    };
    for (const Case& c : cases) {
        TempTree tree;
        c.block(tree);
        FakeWindow window;
        SettingsStore store(window, tree.root(), kName);
        store.restore();
        EXPECT_EQ(store.save(), "Unable to write to grittydecal.INI") << c.name;
        EXPECT_EQ(store.saveOnDestroy(), "Unable to write to grittydecal.INI") << c.name;
        if (fs::is_directory(tree.path(kName))) {
            EXPECT_TRUE(fs::is_empty(tree.path(kName))) << c.name;
        } else {
            EXPECT_EQ(tree.read(kName), "[TForm1]\r\nFormVersion=5\r\n") << c.name;
        }
        // Nothing left beside it.
        EXPECT_EQ(std::distance(fs::directory_iterator(tree.root()), fs::directory_iterator()), 1)
            << c.name;
    }
}

TEST_F(SettingsStoreTest, TheSaveAtDestructionMarksTheWindowAsGoing) {
    config.folder(kName);
    FakeWindow window;
    SettingsStore store = storeFor(window);
    store.restore();
    ASSERT_TRUE(store.save().has_value());
    fs::remove(file);
    ASSERT_EQ(store.saveOnDestroy(), std::nullopt);
    EXPECT_NE(config.read(kName).find("\nVisible=1\n"), std::string::npos);
    ASSERT_EQ(store.save(), std::nullopt);
    EXPECT_NE(config.read(kName).find("\nVisible=0\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, ASaveStopsAtAValueThatCannotBeStored) {
    config.file(kName, "[TForm1]\nDirectoryEdit1_Text=/old\nCheckBox1_Checked=False\n");
    FakeWindow window;
    SettingsStore store = storeFor(window);
    store.restore();
    window.folder = "/a\nb";
    window.area = true;
    EXPECT_EQ(store.save(), "Unable to write to grittydecal.INI");
    std::string text = config.read(kName);
    EXPECT_NE(text.find("\nVisible=0\n"), text.npos) << text;
    EXPECT_NE(text.find("\nDirectoryEdit1_Text=/old\nCheckBox1_Checked=False\n"), text.npos)
        << text;
}

TEST_F(SettingsStoreTest, WithoutAFolderNothingIsReadAndEverySaveFails) {
    // A file of that name in the current folder must not be taken for the settings.
    fs::path previous = fs::current_path();
    fs::current_path(config.root());
    config.file(kName, "[TForm1]\nCheckBox1_Checked=True\n");
    FakeWindow window;
    SettingsStore store(window, fs::path(), kName);
    store.restore();
    EXPECT_FALSE(window.area);
    EXPECT_EQ(store.save(), "Unable to write to grittydecal.INI");
    EXPECT_EQ(store.saveOnDestroy(), "Unable to write to grittydecal.INI");
    EXPECT_EQ(config.read(kName), "[TForm1]\nCheckBox1_Checked=True\n");
    fs::current_path(previous);
}

TEST_F(SettingsStoreTest, CreatesAMissingSettingsFolder) {
    fs::path folder = config.path("home/.config");
    FakeWindow window;
    SettingsStore store(window, folder, kName);
    store.restore();
    ASSERT_EQ(store.save(), std::nullopt);
    EXPECT_TRUE(fs::is_regular_file(folder / kName));
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
}

}  // namespace
}  // namespace grittydecal
