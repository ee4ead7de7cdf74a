// Loads a mesh-shaped JSON text of about 5 MB the way the mesh loader does
// (parse, find each list, convert it to an array, iterate, find each member,
// read it as a float or an integer) with our reader, RapidJSON (DOM) and
// nlohmann::json, and prints each throughput and ours as a ratio to the others.

#include "json/json_node.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kVertices = 31000;
constexpr int kTriangles = 52000;

struct MeshArrays {
    std::vector<float> positions;
    std::vector<float> uvs;
    std::vector<float> colors;
    std::vector<uint16_t> indices;

    double checksum() const
    {
        double sum = 0;
        for (float f : positions)
            sum += f;
        for (float f : uvs)
            sum += f * 3;
        for (float f : colors)
            sum += f * 7;
        for (uint16_t i : indices)
            sum += i;
        return sum;
    }
};

// A model laid out as an exporter writes it: one element per line, members
// as objects of named numbers with six decimals.
std::string makeMeshText()
{
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    auto coordinate = [&] { return (double(next() % 2000001) - 1000000.0) / 250000.0; };
    auto unit = [&] { return double(next() % 1000001) / 1000000.0; };

    std::string text = "{\n\"model\": {\n  \"vertices\": [\n";
    char line[160];
    for (int i = 0; i < kVertices; ++i) {
        std::snprintf(line, sizeof line, "    {\"x\":%.6f,\"y\":%.6f,\"z\":%.6f}%s\n", coordinate(),
                      coordinate(), coordinate(), i + 1 < kVertices ? "," : "");
        text += line;
    }
    text += "  ],\n  \"uvs\": [\n";
    for (int i = 0; i < kVertices; ++i) {
        std::snprintf(line, sizeof line, "    {\"u\":%.6f,\"v\":%.6f}%s\n", unit(), unit(),
                      i + 1 < kVertices ? "," : "");
        text += line;
    }
    text += "  ],\n  \"colors\": [\n";
    for (int i = 0; i < kVertices; ++i) {
        std::snprintf(line, sizeof line, "    {\"r\":%.6f,\"g\":%.6f,\"b\":%.6f}%s\n", unit(),
                      unit(), unit(), i + 1 < kVertices ? "," : "");
        text += line;
    }
    text += "  ],\n  \"indices\": [\n";
    for (int i = 0; i < kTriangles; ++i) {
        std::snprintf(line, sizeof line, "    {\"a\":%u,\"b\":%u,\"c\":%u}%s\n", next() % kVertices,
                      next() % kVertices, next() % kVertices, i + 1 < kTriangles ? "," : "");
        text += line;
    }
    text += "  ]\n}\n}\n";
    return text;
}

const std::string& meshText()
{
    static const std::string text = makeMeshText();
    return text;
}

// --- ours ------------------------------------------------------------------

template <size_t N>
void readFloats(JsonNode& model, const char* key, const char* const (&names)[N],
                std::vector<float>& out)
{
    JsonNode list = (*model.find(key)).asArray();
    out.resize(N * list.size());
    size_t w = 0;
    for (JsonIterator it = list.begin(); it != list.end(); ++it)
        for (const char* name : names)
            out[w++] = (*(*it).find(name)).asFloat();
}

void loadOurs(const std::string& text, MeshArrays& mesh)
{
    JsonNode root = JsonNode::parse(text);
    for (JsonIterator it = root.begin(); it != root.end(); ++it) {
        if ((*it).name() != "model")
            continue;
        JsonNode& model = *it;
        static const char* const xyz[] = {"x", "y", "z"};
        static const char* const uv[] = {"u", "v"};
        static const char* const rgb[] = {"r", "g", "b"};
        static const char* const abc[] = {"a", "b", "c"};
        readFloats(model, "vertices", xyz, mesh.positions);
        readFloats(model, "uvs", uv, mesh.uvs);
        readFloats(model, "colors", rgb, mesh.colors);
        JsonNode list = (*model.find("indices")).asArray();
        mesh.indices.resize(3 * list.size());
        size_t w = 0;
        for (JsonIterator e = list.begin(); e != list.end(); ++e)
            for (const char* name : abc)
                mesh.indices[w++] = static_cast<uint16_t>((*(*e).find(name)).asInt());
    }
}

// --- RapidJSON -------------------------------------------------------------

template <size_t N>
void readFloats(const rapidjson::Value& model, const char* key, const char* const (&names)[N],
                std::vector<float>& out)
{
    const rapidjson::Value& list = model.FindMember(key)->value;
    out.resize(N * list.Size());
    size_t w = 0;
    for (const rapidjson::Value& element : list.GetArray())
        for (const char* name : names)
            out[w++] = element.FindMember(name)->value.GetFloat();
}

void loadRapid(const std::string& text, MeshArrays& mesh)
{
    rapidjson::Document root;
    root.Parse(text.c_str(), text.size());
    // Members by position: iterator comparisons of RapidJSON are ambiguous in C++20.
    for (rapidjson::SizeType i = 0; i < root.MemberCount(); ++i) {
        const auto& member = *(root.MemberBegin() + i);
        if (std::string_view(member.name.GetString(), member.name.GetStringLength()) != "model")
            continue;
        const rapidjson::Value& model = member.value;
        static const char* const xyz[] = {"x", "y", "z"};
        static const char* const uv[] = {"u", "v"};
        static const char* const rgb[] = {"r", "g", "b"};
        static const char* const abc[] = {"a", "b", "c"};
        readFloats(model, "vertices", xyz, mesh.positions);
        readFloats(model, "uvs", uv, mesh.uvs);
        readFloats(model, "colors", rgb, mesh.colors);
        const rapidjson::Value& list = model.FindMember("indices")->value;
        mesh.indices.resize(3 * list.Size());
        size_t w = 0;
        for (const rapidjson::Value& element : list.GetArray())
            for (const char* name : abc)
                mesh.indices[w++] =
                    static_cast<uint16_t>(element.FindMember(name)->value.GetInt64());
    }
}

// --- nlohmann::json --------------------------------------------------------

template <size_t N>
void readFloats(const nlohmann::json& model, const char* key, const char* const (&names)[N],
                std::vector<float>& out)
{
    const nlohmann::json& list = *model.find(key);
    out.resize(N * list.size());
    size_t w = 0;
    for (const nlohmann::json& element : list)
        for (const char* name : names)
            out[w++] = element.find(name)->get<float>();
}

void loadNlohmann(const std::string& text, MeshArrays& mesh)
{
    nlohmann::json root = nlohmann::json::parse(text);
    for (auto member = root.begin(); member != root.end(); ++member) {
        if (member.key() != "model")
            continue;
        const nlohmann::json& model = member.value();
        static const char* const xyz[] = {"x", "y", "z"};
        static const char* const uv[] = {"u", "v"};
        static const char* const rgb[] = {"r", "g", "b"};
        static const char* const abc[] = {"a", "b", "c"};
        readFloats(model, "vertices", xyz, mesh.positions);
        readFloats(model, "uvs", uv, mesh.uvs);
        readFloats(model, "colors", rgb, mesh.colors);
        const nlohmann::json& list = *model.find("indices");
        mesh.indices.resize(3 * list.size());
        size_t w = 0;
        for (const nlohmann::json& element : list)
            for (const char* name : abc)
                mesh.indices[w++] = static_cast<uint16_t>(element.find(name)->get<int64_t>());
    }
}

template <void (*Load)(const std::string&, MeshArrays&)>
void benchLoad(benchmark::State& state)
{
    const std::string& text = meshText();
    for (auto _ : state) {
        MeshArrays mesh;
        Load(text, mesh);
        benchmark::DoNotOptimize(mesh.positions.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

// The first stage alone: white space and comments removed, root made.
void benchParseOnly(benchmark::State& state)
{
    const std::string& text = meshText();
    for (auto _ : state) {
        JsonNode root = JsonNode::parse(text);
        benchmark::DoNotOptimize(root.type());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

// Console output as usual, plus the throughput of every repetition kept for
// the ratios: the machine may be shared, so each reader is summarised by its
// median and its best repetition.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end())
                rates[run.run_name.function_name].push_back(it->second.value / 1e6);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double median(const std::string& name) const
    {
        auto it = rates.find(name);
        if (it == rates.end() || it->second.empty())
            return 0;
        std::vector<double> sorted = it->second;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
    double best(const std::string& name) const
    {
        auto it = rates.find(name);
        return it == rates.end() || it->second.empty()
                   ? 0
                   : *std::max_element(it->second.begin(), it->second.end());
    }

private:
    std::map<std::string, std::vector<double>> rates;
};

} // namespace

BENCHMARK(benchLoad<loadOurs>)
    ->Name("mesh_load/zorbel_json")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9);
BENCHMARK(benchParseOnly)
    ->Name("compaction_only/zorbel_json")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3);
BENCHMARK(benchLoad<loadRapid>)
    ->Name("mesh_load/rapidjson_dom")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9);
BENCHMARK(benchLoad<loadNlohmann>)
    ->Name("mesh_load/nlohmann_json")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const std::string& text = meshText();
    MeshArrays fromOurs, fromRapid, fromNlohmann;
    loadOurs(text, fromOurs);
    loadRapid(text, fromRapid);
    loadNlohmann(text, fromNlohmann);
    std::printf("mesh text: %.2f MB, %d vertices, %d triangles\n", text.size() / 1e6, kVertices,
                kTriangles);
    // All three must read the same values; ours must equal atof-then-float.
    const bool same = fromOurs.positions == fromNlohmann.positions &&
                      fromOurs.uvs == fromNlohmann.uvs && fromOurs.colors == fromNlohmann.colors &&
                      fromOurs.indices == fromNlohmann.indices;
    std::printf("checksums: zorbel %.6f  rapidjson %.6f  nlohmann %.6f%s\n", fromOurs.checksum(),
                fromRapid.checksum(), fromNlohmann.checksum(),
                same ? "" : "  (MISMATCH with nlohmann)");

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const std::string ours = "mesh_load/zorbel_json";
    const std::string rapid = "mesh_load/rapidjson_dom";
    const std::string nl = "mesh_load/nlohmann_json";
    std::printf("\nthroughput MB/s (median / best of the repetitions):\n");
    for (const std::string& name : {ours, rapid, nl})
        std::printf("  %-26s %7.1f / %7.1f\n", name.c_str(), reporter.median(name),
                    reporter.best(name));
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("ratio zorbel/rapidjson: %.2f (median), %.2f (best)\n",
                ratio(reporter.median(ours), reporter.median(rapid)),
                ratio(reporter.best(ours), reporter.best(rapid)));
    std::printf("ratio zorbel/nlohmann:  %.2f (median), %.2f (best)\n",
                ratio(reporter.median(ours), reporter.median(nl)),
                ratio(reporter.best(ours), reporter.best(nl)));
    return 0;
}
