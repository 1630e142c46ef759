#include "graph3d/MeshFileWriter.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string_view>

namespace plotwise {

namespace {

// Decimal text of a count or index, by <charconv> like every number in these files.
std::string integer(std::size_t value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

void putUint32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void putFloat(std::string& out, float value) {
    putUint32(out, std::bit_cast<std::uint32_t>(value));
}

// The unit normal of a facet; zero for a degenerate one.
Float3 facetNormal(const Float3& a, const Float3& b, const Float3& c) {
    const Float3 n = Float3::cross(b - a, c - a);
    const double length =
        std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y +
                  static_cast<double>(n.z) * n.z);
    if (!(length > 0) || !std::isfinite(length)) {
        return {};
    }
    const auto inverse = static_cast<float>(1.0 / length);
    return n * inverse;
}

}  // namespace

std::string MeshFileWriter::number(float value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

void MeshFileWriter::writeObj(const PrintableMesh& mesh, std::ostream& out) {
    std::string text = "# plotwise-cli mesh3d\n";
    for (const Float3& p : mesh.positions) {
        text += "v " + number(p.x) + ' ' + number(p.y) + ' ' + number(p.z) + '\n';
    }
    for (const auto& t : mesh.triangles) {
        text += "f " + integer(t[0] + 1) + ' ' + integer(t[1] + 1) + ' ' + integer(t[2] + 1) + '\n';
    }
    out << text;
}

void MeshFileWriter::writeStl(const PrintableMesh& mesh, std::ostream& out) {
    std::string data(80, ' ');
    const std::string_view header = "plotwise-cli mesh3d binary STL";
    data.replace(0, header.size(), header);
    putUint32(data, static_cast<std::uint32_t>(mesh.triangles.size()));
    data.reserve(data.size() + 50 * mesh.triangles.size());
    for (const auto& t : mesh.triangles) {
        const Float3& a = mesh.positions[t[0]];
        const Float3& b = mesh.positions[t[1]];
        const Float3& c = mesh.positions[t[2]];
        const Float3 n = facetNormal(a, b, c);
        for (const Float3& p : {n, a, b, c}) {
            putFloat(data, p.x);
            putFloat(data, p.y);
            putFloat(data, p.z);
        }
        data.push_back('\0');  // attribute byte count
        data.push_back('\0');
    }
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

void MeshFileWriter::writePly(const PrintableMesh& mesh, std::ostream& out) {
    std::string text = "ply\nformat ascii 1.0\ncomment plotwise-cli mesh3d\n";
    text += "element vertex " + integer(mesh.positions.size()) + '\n';
    text += "property float x\nproperty float y\nproperty float z\n";
    text += "element face " + integer(mesh.triangles.size()) + '\n';
    text += "property list uchar int vertex_indices\nend_header\n";
    for (const Float3& p : mesh.positions) {
        text += number(p.x) + ' ' + number(p.y) + ' ' + number(p.z) + '\n';
    }
    for (const auto& t : mesh.triangles) {
        text += "3 " + integer(t[0]) + ' ' + integer(t[1]) + ' ' + integer(t[2]) + '\n';
    }
    out << text;
}

}  // namespace plotwise
