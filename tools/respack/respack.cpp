// respack: packs a module's resources into one blob (see common/ResourceDirectory.h)
// and writes it as a C++ source file, with a depfile for the build system.
//
//   respack MANIFEST OUT.cpp SYMBOL [SECTION]
//
// Manifest lines: TYPE ID KIND ARGUMENT, '#' starts a comment; paths are relative
// to the manifest's folder. Kinds:
//   table PATH        keyed string table from a text source: lines KEY<TAB>TEXT
//                     (KEY decimal or 0x hex, 0..0xFFFE; TEXT UTF-8 with \t \n \r \\ escapes)
//   raw PATH          the file's bytes
//   utf16 PATH        UTF-8 text as UTF-16LE with a byte-order mark and CR LF line ends
//   version A.B.C.D   a fixed version record: signature 0xFEEF04BD, structure version
//                     0x00010000, file version MS and LS, product version MS and LS
//   firmware A.B SIZE an adapter firmware image of SIZE bytes whose last two bytes are A, B

#include "common/ByteOrder.h"
#include "common/ResourceDirectory.h"
#include "common/Unicode.h"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using halden::ByteOrder;
using halden::ResourceDirectory;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Resource {
    std::string type;
    std::uint32_t id;
    Bytes data;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw std::runtime_error(where + ": " + what);
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail(path, "cannot open");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::uint32_t parseNumber(const std::string& text, const std::string& where) {
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || value > 0xFFFFFFFFul) {
        fail(where, "bad number '" + text + "'");
    }
    return static_cast<std::uint32_t>(value);
}

std::string unescape(const std::string& text, const std::string& where) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            fail(where, "backslash at end of line");
        }
        switch (text[i]) {
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            fail(where, std::string("unknown escape \\") + text[i]);
        }
    }
    return out;
}

Bytes packTable(const std::string& path) {
    std::istringstream lines(readText(path));
    std::string line;
    std::set<std::uint32_t> seen;
    Bytes out;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string where = path + ":" + std::to_string(number);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const auto tab = line.find('\t');
        if (tab == std::string::npos) {
            fail(where, "expected KEY<TAB>TEXT");
        }
        const std::uint32_t key = parseNumber(line.substr(0, tab), where);
        if (key > 0xFFFE) {
            fail(where, "key above 0xFFFE");
        }
        if (!seen.insert(key).second) {
            fail(where, "key " + std::to_string(key) + " given twice");
        }
        ByteOrder::appendLe16(out, static_cast<std::uint16_t>(key));
        for (char16_t unit : halden::Unicode::toUtf16(unescape(line.substr(tab + 1), where))) {
            ByteOrder::appendLe16(out, unit);
        }
        ByteOrder::appendLe16(out, 0);
    }
    ByteOrder::appendLe16(out, 0xFFFF);
    return out;
}

Bytes packUtf16(const std::string& path) {
    std::string text = readText(path);
    std::string crlf;
    for (char c : text) {
        if (c == '\r') {
            continue;
        }
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    Bytes out;
    ByteOrder::appendLe16(out, 0xFEFF);
    for (char16_t unit : halden::Unicode::toUtf16(crlf)) {
        ByteOrder::appendLe16(out, unit);
    }
    return out;
}

std::vector<std::uint32_t> splitVersion(const std::string& text, std::size_t parts,
                                        const std::string& where) {
    std::vector<std::uint32_t> numbers;
    std::istringstream in(text);
    std::string piece;
    while (std::getline(in, piece, '.')) {
        const std::uint32_t value = parseNumber(piece, where);
        if (value > 0xFFFF) {
            fail(where, "version part above 65535");
        }
        numbers.push_back(value);
    }
    if (numbers.size() != parts) {
        fail(where, "expected a version of " + std::to_string(parts) + " parts");
    }
    return numbers;
}

Bytes packVersion(const std::string& text, const std::string& where) {
    const auto v = splitVersion(text, 4, where);
    const std::uint32_t ms = (v[0] << 16) | v[1];
    const std::uint32_t ls = (v[2] << 16) | v[3];
    Bytes out;
    for (std::uint32_t value : {0xFEEF04BDu, 0x00010000u, ms, ls, ms, ls}) {
        ByteOrder::appendLe32(out, value);
    }
    return out;
}

// A deterministic stand-in firmware body: what matters to the programs is its
// length, its checksum and the version in its last two bytes.
Bytes packFirmware(const std::string& version, const std::string& sizeText,
                   const std::string& where) {
    const auto v = splitVersion(version, 2, where);
    const std::uint32_t size = parseNumber(sizeText, where);
    if (size < 2 || size > 16 * 1024 * 1024 || v[0] > 0xFF || v[1] > 0xFF) {
        fail(where, "firmware size or version out of range");
    }
    Bytes out(size);
    std::uint32_t state = 0x2E7B0325u;
    for (auto& byte : out) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    out[size - 2] = static_cast<std::uint8_t>(v[0]);
    out[size - 1] = static_cast<std::uint8_t>(v[1]);
    return out;
}

std::vector<Resource> readManifest(const std::string& manifest, std::vector<std::string>& inputs) {
    const auto slash = manifest.find_last_of('/');
    const std::string base = slash == std::string::npos ? "" : manifest.substr(0, slash + 1);
    std::istringstream lines(readText(manifest));
    std::vector<Resource> resources;
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string where = manifest + ":" + std::to_string(number);
        std::istringstream words(line);
        std::string type, idText, kind, argument, extra;
        if (!(words >> type) || type[0] == '#') {
            continue;
        }
        if (!(words >> idText >> kind >> argument)) {
            fail(where, "expected TYPE ID KIND ARGUMENT");
        }
        words >> extra;
        if (type.size() >= ResourceDirectory::kTypeSize) {
            fail(where, "type name too long");
        }
        Resource resource{type, parseNumber(idText, where), {}};
        if (kind == "table" || kind == "raw" || kind == "utf16") {
            const std::string path = base + argument;
            inputs.push_back(path);
            resource.data = kind == "table" ? packTable(path)
                            : kind == "raw" ? [&] {
                                  const std::string text = readText(path);
                                  return Bytes(text.begin(), text.end());
                              }()
                                            : packUtf16(path);
        } else if (kind == "version") {
            resource.data = packVersion(argument, where);
        } else if (kind == "firmware") {
            resource.data = packFirmware(argument, extra, where);
        } else {
            fail(where, "unknown kind '" + kind + "'");
        }
        resources.push_back(std::move(resource));
    }
    return resources;
}

Bytes packDirectory(const std::vector<Resource>& resources) {
    Bytes out(ResourceDirectory::kMagic.begin(), ResourceDirectory::kMagic.end());
    ByteOrder::appendLe32(out, static_cast<std::uint32_t>(resources.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(
        ResourceDirectory::kHeaderSize + resources.size() * ResourceDirectory::kEntrySize);
    for (const auto& resource : resources) {
        std::string type = resource.type;
        type.resize(ResourceDirectory::kTypeSize, '\0');
        out.insert(out.end(), type.begin(), type.end());
        ByteOrder::appendLe32(out, resource.id);
        ByteOrder::appendLe32(out, offset);
        ByteOrder::appendLe32(out, static_cast<std::uint32_t>(resource.data.size()));
        offset += static_cast<std::uint32_t>((resource.data.size() + 3) & ~std::size_t{3});
    }
    for (const auto& resource : resources) {
        out.insert(out.end(), resource.data.begin(), resource.data.end());
        out.resize((out.size() + 3) & ~std::size_t{3}, 0);
    }
    return out;
}

void writeSource(const std::string& path, const std::string& symbol, const std::string& section,
                 const Bytes& blob) {
    std::ostringstream out;
    out << "// Generated by respack. Do not edit.\n#include <cstddef>\n\n";
    out << "extern const unsigned char " << symbol << "[];\n";
    out << "extern const std::size_t " << symbol << "Size;\n\n";
    if (!section.empty()) {
        out << "[[gnu::used, gnu::section(\"" << section << "\")]] ";
    }
    out << "alignas(16) const unsigned char " << symbol << "[] = {";
    for (std::size_t i = 0; i < blob.size(); ++i) {
        out << (i % 16 == 0 ? "\n    " : " ") << static_cast<int>(blob[i]) << ',';
    }
    out << "\n};\nconst std::size_t " << symbol << "Size = sizeof(" << symbol << ");\n";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file) {
        fail(path, "cannot write");
    }
}

void writeDepfile(const std::string& output, const std::string& manifest,
                  const std::vector<std::string>& inputs) {
    std::ofstream file(output + ".d", std::ios::trunc);
    file << output << ": " << manifest;
    for (const auto& input : inputs) {
        file << " \\\n  " << input;
    }
    file << '\n';
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: respack MANIFEST OUT.cpp SYMBOL [SECTION]\n";
        return 2;
    }
    try {
        std::vector<std::string> inputs;
        const auto resources = readManifest(argv[1], inputs);
        writeSource(argv[2], argv[3], argc == 5 ? argv[4] : "", packDirectory(resources));
        writeDepfile(argv[2], argv[1], inputs);
    } catch (const std::exception& error) {
        std::cerr << "respack: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
