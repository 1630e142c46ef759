#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

// Small readers of OBJ, binary STL and ASCII PLY written for the tests from the formats'
// descriptions, sharing no code with the writers: they check what another program would read.
namespace plotwise::test {

using Point = std::array<float, 3>;

struct ReadMesh {
    std::vector<Point> vertices;  // STL: every facet's three corners in turn
    std::vector<std::array<std::uint32_t, 3>> triangles;
    std::vector<Point> facetNormals;  // STL only

    Point bound(bool lower) const {
        Point b = vertices.at(0);
        for (const Point& p : vertices) {
            for (std::size_t i = 0; i < 3; ++i) {
                b[i] = lower ? std::min(b[i], p[i]) : std::max(b[i], p[i]);
            }
        }
        return b;
    }
};

// Reads "3 a b c" (PLY) or "a b c" (OBJ, 1-based) face indices; false unless all are in range.
inline bool readFace(std::istringstream& in, ReadMesh& mesh, std::uint32_t base) {
    std::array<std::uint32_t, 3> t{};
    for (std::uint32_t& index : t) {
        if (!(in >> index) || index < base || index - base >= mesh.vertices.size()) {
            return false;
        }
        index -= base;
    }
    mesh.triangles.push_back(t);
    return true;
}

inline bool atEnd(std::istringstream& in) {
    std::string rest;
    return !(in >> rest);
}

// "v x y z" and "f a b c" lines (vertices first); anything else must be a comment.
inline std::optional<ReadMesh> readObj(std::string_view text) {
    ReadMesh mesh;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string kind;
        Point p{};
        if (!(in >> kind) || kind.starts_with("#")) {
            continue;
        }
        const bool ok = kind == "v"   ? static_cast<bool>(in >> p[0] >> p[1] >> p[2])
                        : kind == "f" ? readFace(in, mesh, 1)
                                      : false;
        if (!ok || !atEnd(in)) {
            return std::nullopt;
        }
        if (kind == "v") {
            mesh.vertices.push_back(p);
        }
    }
    return mesh;
}

// 80-byte header, little-endian triangle count, 50 bytes per facet (normal, corners, 2 spare).
inline std::optional<ReadMesh> readStl(std::string_view bytes) {
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
        }
        return v;
    };
    const auto point = [&](std::size_t at) {
        Point p{};
        for (std::size_t i = 0; i < 3; ++i) {
            const std::uint32_t bits = u32(at + 4 * i);
            std::memcpy(&p[i], &bits, sizeof bits);
        }
        return p;
    };
    if (bytes.size() < 84 || bytes.size() != 84 + 50 * static_cast<std::size_t>(u32(80))) {
        return std::nullopt;
    }
    ReadMesh mesh;
    for (std::size_t at = 84; at < bytes.size(); at += 50) {
        mesh.facetNormals.push_back(point(at));
        for (std::size_t c = 0; c < 3; ++c) {
            mesh.vertices.push_back(point(at + 12 + 12 * c));
        }
    }
    return mesh;
}

// ASCII PLY with x, y, z float vertices and "3 a b c" faces.
inline std::optional<ReadMesh> readPly(std::string_view text) {
    std::istringstream lines{std::string(text)};
    std::string line;
    std::size_t counts[2] = {0, 0};  // vertices, faces
    if (!std::getline(lines, line) || line != "ply" || !std::getline(lines, line) ||
        line != "format ascii 1.0") {
        return std::nullopt;
    }
    while (std::getline(lines, line) && line != "end_header") {
        std::istringstream in(line);
        std::string word, element;
        if (in >> word >> element && word == "element" && !(in >> counts[element != "vertex"])) {
            return std::nullopt;
        }
    }
    ReadMesh mesh;
    for (std::size_t n = 0; n < counts[0] + counts[1]; ++n) {
        if (!std::getline(lines, line)) {
            return std::nullopt;
        }
        std::istringstream in(line);
        Point p{};
        std::uint32_t corners = 0;
        const bool ok = n < counts[0] ? static_cast<bool>(in >> p[0] >> p[1] >> p[2])
                                      : in >> corners && corners == 3 && readFace(in, mesh, 0);
        if (!ok || !atEnd(in)) {
            return std::nullopt;
        }
        if (n < counts[0]) {
            mesh.vertices.push_back(p);
        }
    }
    return mesh;
}

}  // namespace plotwise::test
