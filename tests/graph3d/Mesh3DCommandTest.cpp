#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "MeshFileReaders.h"
#include "cli/Mesh3DCommand.h"

namespace plotwise::cli {
namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun run(std::vector<std::string> arguments) {
    std::ostringstream out(std::ios::binary);
    std::ostringstream err;
    const int status = runMesh3D(Arguments(arguments.data(), arguments.size()), out, err);
    return {status, out.str(), err.str()};
}

// The number following "key": in a JSON object written on one line.
long field(const std::string& json, const std::string& key) {
    const std::string marker = "\"" + key + "\": ";
    const auto at = json.find(marker);
    if (at == std::string::npos) {
        ADD_FAILURE() << key << " missing";
        return -1;
    }
    long value = -1;
    const char* begin = json.data() + at + marker.size();
    std::from_chars(begin, json.data() + json.size(), value);
    return value;
}

// Entries of the array after "key": counted by their separators at nesting depth 1.
std::size_t arrayLength(const std::string& json, const std::string& key) {
    auto at = json.find("\"" + key + "\": [");
    if (at == std::string::npos) {
        ADD_FAILURE() << key << " missing";
        return 0;
    }
    at = json.find('[', at);
    int depth = 0;
    std::size_t items = 0;
    bool any = false;
    for (std::size_t i = at; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '[') {
            ++depth;
        } else if (c == ']') {
            if (--depth == 0) {
                break;
            }
        } else if (depth == 1 && c == ',') {
            ++items;
        } else if (depth >= 1 && c != ' ') {
            any = true;
        }
    }
    return any ? items + 1 : 0;
}

std::string decimal(long value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

class TemporaryFolder {
public:
    TemporaryFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("plotwise-mesh3d-" + decimal(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(path_);
    }
    ~TemporaryFolder() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string contents(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

TEST(Mesh3DCommand, ParaboloidCountsOnPhoneAndTablet) {
    // 30 × 30 points and 29 × 29 cells on a phone; 41 × 41 and 40 × 40 on a tablet.
    const CommandRun phone = run({"z=y^2/16-x^2/25"});
    ASSERT_EQ(phone.status, 0) << phone.err;
    EXPECT_EQ(field(phone.out, "type"), 2);
    EXPECT_EQ(field(phone.out, "dataObjectCount"), 900);
    EXPECT_EQ(field(phone.out, "dataIndexCount"), 6 * 29 * 29);
    EXPECT_EQ(field(phone.out, "linesIndexCount"), 8 * 29 * 29);
    EXPECT_EQ(field(phone.out, "horizontalSteps"), 30);
    EXPECT_EQ(field(phone.out, "verticalSteps"), 30);
    EXPECT_EQ(arrayLength(phone.out, "vertices"), 900u);
    EXPECT_EQ(arrayLength(phone.out, "indices"), 6u * 29 * 29);
    EXPECT_EQ(arrayLength(phone.out, "lineIndices"), 8u * 29 * 29);
    EXPECT_NE(phone.out.find("\"vertices\": [[-7, -7, 1.1025, "), std::string::npos);

    const CommandRun tablet = run({"z=y^2/16-x^2/25", "--tablet"});
    ASSERT_EQ(tablet.status, 0);
    EXPECT_EQ(field(tablet.out, "dataObjectCount"), 41 * 41);
    EXPECT_EQ(field(tablet.out, "dataIndexCount"), 6 * 40 * 40);
}

TEST(Mesh3DCommand, ScaleAndKindSetTheBox) {
    // Zoom 2 halves the box but keeps the divisions: the same counts.
    const CommandRun zoomed = run({"--scale", "2", "z=x*y"});
    ASSERT_EQ(zoomed.status, 0);
    EXPECT_NE(zoomed.out.find("[[-3.5, -3.5, 12.25, "), std::string::npos);
    // An inequality: 36 vertices and 24 line indices per box.
    const CommandRun solid = run({"x^2+y^2+z^2<9"});
    ASSERT_EQ(solid.status, 0);
    EXPECT_EQ(field(solid.out, "type"), 7);
    EXPECT_EQ(field(solid.out, "dataObjectCount") % 36, 0);
    EXPECT_EQ(field(solid.out, "linesIndexCount"), field(solid.out, "dataObjectCount") / 36 * 24);
    // An implicit surface, both variants: triangles as vertex triples.
    for (const bool accurate : {false, true}) {
        std::vector<std::string> arguments = {"x^2+y^2+z^2-4"};
        if (accurate) {
            arguments.push_back("--accurate");
        }
        const CommandRun sphere = run(arguments);
        ASSERT_EQ(sphere.status, 0);
        EXPECT_EQ(field(sphere.out, "type"), 6);
        EXPECT_EQ(field(sphere.out, "dataIndexCount"), field(sphere.out, "dataObjectCount"));
        EXPECT_EQ(field(sphere.out, "dataObjectCount") % 3, 0);
    }
    // Missing values are written as the string "nan".
    const CommandRun holes = run({"z=√(x)"});
    ASSERT_EQ(holes.status, 0);
    EXPECT_NE(holes.out.find("\"nan\""), std::string::npos);
}

TEST(Mesh3DCommand, FilesReadBackForEveryFormat) {
    TemporaryFolder folder;
    // The paraboloid's 29 × 29 cells give 2 triangles each on 900 welded points; x runs from
    // -7 to the 30th grid value.
    const float step = 14.0f / 30.0f;
    double last = -7;
    for (int i = 0; i < 29; ++i) {
        last += step;
    }
    for (const std::string format : {"obj", "stl", "ply"}) {
        const std::string path = folder.file("paraboloid." + format);
        const CommandRun written = run({"z=y^2/16-x^2/25", "--format", format, "-o", path});
        ASSERT_EQ(written.status, 0) << written.err;
        EXPECT_TRUE(written.out.empty());
        const std::string bytes = contents(path);
        const auto mesh = format == "obj"   ? test::readObj(bytes)
                          : format == "stl" ? test::readStl(bytes)
                                            : test::readPly(bytes);
        ASSERT_TRUE(mesh) << format;
        const std::size_t triangles =
            format == "stl" ? mesh->facets.size() : mesh->triangles.size();
        EXPECT_EQ(triangles, 2u * 29 * 29) << format;
        if (format != "stl") {
            EXPECT_EQ(mesh->vertices.size(), 900u);
        }
        EXPECT_EQ(mesh->low()[0], -7.0f);
        EXPECT_NEAR(mesh->high()[0], last, 1e-5);
    }
    // A closed solid to standard output, as binary STL.
    const CommandRun stl = run({"--format=stl", "(x^2+y^2+z^2+4^2-2^2)^2 - 4*4^2*(x^2+y^2)<0"});
    ASSERT_EQ(stl.status, 0);
    const auto torus = test::readStl(stl.out);
    ASSERT_TRUE(torus);
    EXPECT_GT(torus->facets.size(), 0u);
    // The torus (tube radius 2 around radius 4) spans [-6, 6] × [-6, 6] × [-2, 2]; the cells
    // whose centres are inside reach at most one step (14/15) beyond.
    const float cell = 14.0f / 15.0f;
    EXPECT_GE(torus->low()[0], -6.0f - cell);
    EXPECT_LE(torus->low()[0], -6.0f + cell);
    EXPECT_GE(torus->high()[2], 2.0f - cell);
    EXPECT_LE(torus->high()[2], 2.0f + cell);
    // JSON to a file.
    const std::string json = folder.file("mesh.json");
    ASSERT_EQ(run({"x^2+y^2+z^2-4", "-o", json}).status, 0);
    EXPECT_EQ(contents(json).rfind("{\"ok\": true, \"type\": 6, ", 0), 0u);
}

TEST(Mesh3DCommand, SurfaceThatMissesTheBoxWritesAnEmptyMesh) {
    const CommandRun none = run({"x^2+y^2+z^2+1"});
    ASSERT_EQ(none.status, 0);
    EXPECT_EQ(field(none.out, "dataObjectCount"), 0);
    EXPECT_EQ(arrayLength(none.out, "vertices"), 0u);
    const CommandRun stl = run({"x^2+y^2+z^2+1", "--format", "stl"});
    ASSERT_EQ(stl.status, 0);
    const auto read = test::readStl(stl.out);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->facets.empty());
}

TEST(Mesh3DCommand, BadInputAndUsage) {
    const CommandRun parse = run({"x^2+"});
    EXPECT_EQ(parse.status, kExitInputFailure);
    EXPECT_EQ(parse.out, "{\"ok\": false, \"error\": \"Expression expected\", \"position\": 3}\n");
    EXPECT_EQ(parse.err, "error at 3: Expression expected\n");
    const CommandRun parseObj = run({"x^2+", "--format", "obj"});
    EXPECT_EQ(parseObj.status, kExitInputFailure);
    EXPECT_TRUE(parseObj.out.empty());
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {},
             {"--scale", "0", "x"},
             {"--scale", "-1", "x"},
             {"--scale", "nan", "x"},
             {"--scale", "inf", "x"},
             {"--scale", "1e-300", "x"},
             {"--scale"},
             {"--format", "pdf", "x"},
             {"x", "-o"},
             {"--colour", "x"},
         }) {
        const CommandRun usage = run(arguments);
        EXPECT_EQ(usage.status, kExitUsage) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_TRUE(usage.out.empty());
    }
    const CommandRun unwritable = run({"x", "-o", "/nonexistent-folder/mesh.json"});
    EXPECT_EQ(unwritable.status, kExitInputFailure);
}

}  // namespace
}  // namespace plotwise::cli
