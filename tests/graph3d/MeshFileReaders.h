#pragma once

#include <array>
#include <charconv>
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

struct ReadMesh {
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::array<std::uint32_t, 3>> triangles;
    // STL carries positions per facet, not indices.
    std::vector<std::array<std::array<float, 3>, 3>> facets;
    std::vector<std::array<float, 3>> facetNormals;

    std::array<float, 3> low() const { return bound(true); }
    std::array<float, 3> high() const { return bound(false); }

private:
    std::array<float, 3> bound(bool lower) const {
        std::array<float, 3> b{};
        bool first = true;
        const auto take = [&](const std::array<float, 3>& p) {
            for (std::size_t i = 0; i < 3; ++i) {
                if (first || (lower ? p[i] < b[i] : p[i] > b[i])) {
                    b[i] = p[i];
                }
            }
            first = false;
        };
        for (const auto& p : vertices) {
            take(p);
        }
        for (const auto& f : facets) {
            for (const auto& p : f) {
                take(p);
            }
        }
        return b;
    }
};

inline std::optional<float> readFloat(std::string_view text) {
    float value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

inline std::optional<std::uint32_t> readIndex(std::string_view text) {
    std::uint32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

inline std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') {
            ++i;
        }
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ') {
            ++j;
        }
        if (j > i) {
            out.push_back(line.substr(i, j - i));
        }
        i = j;
    }
    return out;
}

inline std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// "v x y z" and "f a b c" (1-based); anything else must be a comment. Empty on a malformed file.
inline std::optional<ReadMesh> readObj(std::string_view text) {
    ReadMesh mesh;
    for (const std::string_view line : lines(text)) {
        const auto w = words(line);
        if (w.empty() || w[0].starts_with("#")) {
            continue;
        }
        if (w[0] == "v" && w.size() == 4) {
            std::array<float, 3> p{};
            for (std::size_t i = 0; i < 3; ++i) {
                const auto value = readFloat(w[i + 1]);
                if (!value) {
                    return std::nullopt;
                }
                p[i] = *value;
            }
            mesh.vertices.push_back(p);
        } else if (w[0] == "f" && w.size() == 4) {
            std::array<std::uint32_t, 3> t{};
            for (std::size_t i = 0; i < 3; ++i) {
                const auto value = readIndex(w[i + 1]);
                if (!value || *value == 0) {
                    return std::nullopt;
                }
                t[i] = *value - 1;
            }
            mesh.triangles.push_back(t);
        } else {
            return std::nullopt;
        }
    }
    for (const auto& t : mesh.triangles) {
        for (const std::uint32_t index : t) {
            if (index >= mesh.vertices.size()) {
                return std::nullopt;
            }
        }
    }
    return mesh;
}

// 80-byte header, little-endian triangle count, 50 bytes per facet.
inline std::optional<ReadMesh> readStl(std::string_view bytes) {
    if (bytes.size() < 84) {
        return std::nullopt;
    }
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
        }
        return v;
    };
    const auto f32 = [&](std::size_t at) {
        const std::uint32_t bits = u32(at);
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    };
    const std::uint32_t count = u32(80);
    if (bytes.size() != 84 + 50 * static_cast<std::size_t>(count)) {
        return std::nullopt;
    }
    ReadMesh mesh;
    for (std::size_t t = 0; t < count; ++t) {
        const std::size_t at = 84 + 50 * t;
        mesh.facetNormals.push_back({f32(at), f32(at + 4), f32(at + 8)});
        std::array<std::array<float, 3>, 3> facet{};
        for (std::size_t c = 0; c < 3; ++c) {
            for (std::size_t i = 0; i < 3; ++i) {
                facet[c][i] = f32(at + 12 + 12 * c + 4 * i);
            }
        }
        mesh.facets.push_back(facet);
    }
    return mesh;
}

// ASCII PLY with x, y, z float vertices and "3 a b c" faces.
inline std::optional<ReadMesh> readPly(std::string_view text) {
    const auto all = lines(text);
    if (all.empty() || all[0] != "ply" || all.size() < 2 || all[1] != "format ascii 1.0") {
        return std::nullopt;
    }
    std::size_t vertexCount = 0;
    std::size_t faceCount = 0;
    std::size_t line = 2;
    for (; line < all.size() && all[line] != "end_header"; ++line) {
        const auto w = words(all[line]);
        if (w.size() == 3 && w[0] == "element") {
            const auto n = readIndex(w[2]);
            if (!n) {
                return std::nullopt;
            }
            (w[1] == "vertex" ? vertexCount : faceCount) = *n;
        }
    }
    if (line == all.size() || all.size() < line + 1 + vertexCount + faceCount) {
        return std::nullopt;
    }
    ReadMesh mesh;
    ++line;
    for (std::size_t v = 0; v < vertexCount; ++v, ++line) {
        const auto w = words(all[line]);
        if (w.size() != 3) {
            return std::nullopt;
        }
        std::array<float, 3> p{};
        for (std::size_t i = 0; i < 3; ++i) {
            const auto value = readFloat(w[i]);
            if (!value) {
                return std::nullopt;
            }
            p[i] = *value;
        }
        mesh.vertices.push_back(p);
    }
    for (std::size_t f = 0; f < faceCount; ++f, ++line) {
        const auto w = words(all[line]);
        if (w.size() != 4 || w[0] != "3") {
            return std::nullopt;
        }
        std::array<std::uint32_t, 3> t{};
        for (std::size_t i = 0; i < 3; ++i) {
            const auto value = readIndex(w[i + 1]);
            if (!value || *value >= vertexCount) {
                return std::nullopt;
            }
            t[i] = *value;
        }
        mesh.triangles.push_back(t);
    }
    return mesh;
}

}  // namespace plotwise::test
