// Asset loading speed: the two BMP readers and the PNG reader on 1024 x 1024 images, and a
// 5 MB JSON mesh with its binary twin. Beside the BMP readers runs a plain read of the
// BMP's pixel block, the lower bound for any BMP reader; the summary prints each reader's
// ratio to it.

#include "render/image_decoders.h"
#include "render/mesh.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSide = 1024;
constexpr size_t kJsonTargetBytes = 5 * 1024 * 1024;

struct Files {
    std::filesystem::path folder;
    std::string bmp, png, json, binary;
    size_t jsonBytes = 0;
    size_t vertices = 0;
};

uint8_t noise(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return static_cast<uint8_t>(state >> 24);
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void put32(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

std::string makeBmp()
{
    const size_t block = size_t{kSide} * kSide * 3;
    std::string bytes(54 + block, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 10, 54);
    put32(bytes, 14, 40);
    put32(bytes, 18, kSide);
    put32(bytes, 22, kSide);
    bytes[26] = 1;
    bytes[28] = 24;
    put32(bytes, 34, static_cast<uint32_t>(block));
    uint32_t state = 1;
    for (size_t i = 54; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(noise(state) & 0xF0); // some texture, still compressible
    return bytes;
}

void appendPng(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

std::string makePng()
{
    std::vector<uint8_t> pixels(size_t{kSide} * kSide * 4);
    uint32_t state = 2;
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>((i / 4 % kSide) ^ (noise(state) & 0x0F));
    std::vector<png_bytep> rows(kSide);
    for (int y = 0; y < kSide; ++y)
        rows[y] = pixels.data() + size_t{kSide} * 4 * y;
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendPng, nullptr);
    png_set_IHDR(png, info, kSide, kSide, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A square grid mesh large enough that its JSON text is about 5 MB, and the same mesh in
// the binary layout.
void makeMeshes(Files& files)
{
    for (int side = 64;; side += 8) {
        std::ostringstream json;
        std::string binary(8, '\0');
        const auto addFloats = [&](std::initializer_list<float> values) {
            for (float v : values)
                binary.append(reinterpret_cast<const char*>(&v), sizeof v);
        };
        const int vertices = side * side;
        const int triangles = 2 * (side - 1) * (side - 1);
        put32(binary, 0, static_cast<uint32_t>(vertices));
        put32(binary, 4, static_cast<uint32_t>(triangles));
        json << "{\"model\":{\n\"vertices\":[";
        for (int i = 0; i < vertices; ++i) {
            const float x = (i % side) * 0.125f, y = (i / side) * 0.125f, z = (i % 7) * 0.03125f;
            json << (i ? "," : "") << "{\"x\":" << x << ",\"y\":" << y << ",\"z\":" << z << "}\n";
            addFloats({x, y, z});
        }
        json << "],\n\"uvs\":[";
        for (int i = 0; i < vertices; ++i) {
            const float u = static_cast<float>(i % side) / side,
                        v = static_cast<float>(i / side) / side;
            json << (i ? "," : "") << "{\"u\":" << u << ",\"v\":" << v << "}\n";
        }
        json << "],\n\"colors\":[";
        for (int i = 0; i < vertices; ++i)
            json << (i ? "," : "") << "{\"r\":0.5,\"g\":0.25,\"b\":" << (i % 3) * 0.5f << "}\n";
        for (int i = 0; i < vertices; ++i)
            addFloats({0.5f, 0.25f, (i % 3) * 0.5f});
        for (int i = 0; i < vertices; ++i)
            addFloats({static_cast<float>(i % side) / side, static_cast<float>(i / side) / side});
        json << "],\n\"indices\":[";
        bool first = true;
        for (int y = 0; y + 1 < side; ++y)
            for (int x = 0; x + 1 < side; ++x) {
                const int a = y * side + x, b = a + 1, c = a + side, d = c + 1;
                for (int t : {a, b, c, b, d, c}) {
                    const uint16_t index = static_cast<uint16_t>(t);
                    binary.append(reinterpret_cast<const char*>(&index), 2);
                }
                json << (first ? "" : ",") << "{\"a\":" << a << ",\"b\":" << b << ",\"c\":" << c
                     << "},{\"a\":" << b << ",\"b\":" << d << ",\"c\":" << c << "}\n";
                first = false;
            }
        json << "]}}\n";
        const std::string text = json.str();
        if (text.size() >= kJsonTargetBytes || side >= 256) {
            writeFile(files.json, text);
            writeFile(files.binary, binary);
            files.jsonBytes = text.size();
            files.vertices = static_cast<size_t>(vertices);
            return;
        }
    }
}

Files& files()
{
    static Files f = [] {
        Files made;
        made.folder = std::filesystem::temp_directory_path() /
                      ("zorbel-bench-loaders-" + std::to_string(getpid()));
        std::filesystem::create_directories(made.folder);
        made.bmp = (made.folder / "image.bmp").string();
        made.png = (made.folder / "image.png").string();
        made.json = (made.folder / "mesh.json").string();
        made.binary = (made.folder / "mesh.bin").string();
        writeFile(made.bmp, makeBmp());
        writeFile(made.png, makePng());
        makeMeshes(made);
        return made;
    }();
    return f;
}

using Decoder = uint8_t* (*)(const char*, uint16_t*, uint16_t*, std::string*);

void runDecoder(benchmark::State& state, Decoder decoder, const std::string& path)
{
    for (auto _ : state) {
        uint16_t width = 0, height = 0;
        uint8_t* pixels = decoder(path.c_str(), &width, &height, nullptr);
        if (!pixels)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels);
        delete[] pixels;
    }
}

// The lower bound: open, seek to the pixel block, one read of it into a new buffer.
void BM_PlainBmpBlockRead(benchmark::State& state)
{
    const std::string& path = files().bmp;
    const size_t block = size_t{kSide} * kSide * 3;
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        auto* pixels = new uint8_t[block];
        std::fseek(file, 54, SEEK_SET);
        if (std::fread(pixels, 1, block, file) != block)
            state.SkipWithError("short read");
        std::fclose(file);
        benchmark::DoNotOptimize(pixels);
        delete[] pixels;
    }
}

void BM_LoadBmp24(benchmark::State& state)
{
    runDecoder(state, loadBmp24, files().bmp);
}

void BM_LoadBmp24WithAlpha(benchmark::State& state)
{
    runDecoder(state, loadBmp24WithAlpha, files().bmp);
}

void BM_LoadPng(benchmark::State& state)
{
    runDecoder(state, loadPng, files().png);
}

void BM_LoadJsonMesh(benchmark::State& state)
{
    for (auto _ : state) {
        Mesh mesh;
        if (!mesh.loadJson(files().json) ||
            static_cast<size_t>(mesh.positionFloatCount) != files().vertices * 3)
            state.SkipWithError("load failed");
    }
    state.counters["MB"] = static_cast<double>(files().jsonBytes) / 1e6;
}

void BM_LoadBinaryMesh(benchmark::State& state)
{
    // The binary reader notes on standard output whether animations follow; keep it quiet.
    std::ostringstream quiet;
    std::streambuf* saved = std::cout.rdbuf(quiet.rdbuf());
    for (auto _ : state) {
        Mesh mesh;
        if (!mesh.loadBinary(files().binary) ||
            static_cast<size_t>(mesh.positionFloatCount) != files().vertices * 3)
            state.SkipWithError("load failed");
        quiet.str({});
    }
    std::cout.rdbuf(saved);
}

BENCHMARK(BM_PlainBmpBlockRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmp24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmp24WithAlpha)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJsonMesh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBinaryMesh)->Unit(benchmark::kMillisecond);

// Prints as usual and keeps each benchmark's mean time per iteration for the summary.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) { }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                milliseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> milliseconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto& ms = reporter.milliseconds;
    const auto plain = ms.find("BM_PlainBmpBlockRead");
    std::printf("\nJSON mesh: %.2f MB, %zu vertices\n",
                static_cast<double>(files().jsonBytes) / 1e6, files().vertices);
    if (plain != ms.end()) {
        std::printf("Plain read of the 1024x1024 BMP pixel block: %.3f ms (lower bound)\n",
                    plain->second);
        for (const char* name : {"BM_LoadBmp24", "BM_LoadBmp24WithAlpha"}) {
            const auto it = ms.find(name);
            if (it != ms.end())
                std::printf("%-24s %.3f ms = %.2fx the plain read%s\n", name, it->second,
                            it->second / plain->second,
                            std::string(name) == "BM_LoadBmp24WithAlpha" ? " (target: within 3x)"
                                                                         : "");
        }
    }
    std::filesystem::remove_all(files().folder);
    benchmark::Shutdown();
    return 0;
}
